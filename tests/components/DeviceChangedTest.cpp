// The device-change notifier against Wine's user32: synthetic broadcasts sent to its real
// hidden window.
#include <gtest/gtest.h>
#include <windows.h>
#include <dbt.h>

#include <string>
#include <vector>

#include "components/DeviceChanged.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "tests/support/Pump.h"

namespace dorvane {
namespace {

struct Report {
  bool arrived;
  char drive;
  bool operator==(const Report&) const = default;
};

class DeviceChangedTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Application().Initialize(); }
  void SetUp() override {
    notifier = new TDeviceChanged(&owner);
    notifier->OnDeviceArrived = [this](TObject* sender, char d) {
      EXPECT_EQ(sender, notifier);
      reports.push_back({true, d});
    };
    notifier->OnDeviceRemoveCompleted = [this](TObject*, char d) { reports.push_back({false, d}); };
  }

  // Sends a volume broadcast as the system does; returns the window's answer.
  LRESULT SendVolume(WPARAM event, DWORD mask, WORD flags, DWORD deviceType = DBT_DEVTYP_VOLUME) {
    DEV_BROADCAST_VOLUME v{};
    v.dbcv_size = sizeof v;
    v.dbcv_devicetype = deviceType;
    v.dbcv_unitmask = mask;
    v.dbcv_flags = flags;
    return SendMessageW(notifier->Handle(), WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&v));
  }

  bool Reported() { return testing::PumpUntil([&] { return !reports.empty(); }, 5000); }

  TComponent owner{nullptr};
  TDeviceChanged* notifier = nullptr;
  std::vector<Report> reports;
};

constexpr DWORD Bit(char drive) { return 1u << (drive - 'A'); }

// The window comes once the loop has run (it costs the start-up time), and a broadcast
// reaches the notifier through it then.
// Made once the loop runs, the window says so once: from then on no broadcast is missed.
TEST_F(DeviceChangedTest, TheWindowIsMadeOnceTheLoopRunsAndSaysSo) {
  auto* later = new TDeviceChanged(&owner);
  later->OnDeviceArrived = [this](TObject*, char d) { reports.push_back({true, d}); };
  int listening = 0;
  later->OnListening = [&](TObject* sender) {
    EXPECT_EQ(sender, later);
    EXPECT_TRUE(later->HandleAllocated());
    ++listening;
  };
  EXPECT_FALSE(later->HandleAllocated());
  ASSERT_TRUE(testing::PumpUntil([&] { return later->HandleAllocated(); }, 3000));
  EXPECT_EQ(listening, 1);
  (void)later->Handle();
  EXPECT_EQ(listening, 1);
  DEV_BROADCAST_VOLUME v{sizeof v, DBT_DEVTYP_VOLUME, 0, Bit('H'), DBTF_MEDIA};
  EXPECT_EQ(SendMessageW(later->Handle(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&v)), TRUE);
  EXPECT_EQ(reports, (std::vector<Report>{{true, 'H'}}));
  later->Free();
}

TEST_F(DeviceChangedTest, MediaChangesReportTheLowestDriveOfTheMask) {
  struct Case {
    const char* what;
    WPARAM event;
    DWORD mask;
    WORD flags;
    DWORD type;
    std::vector<Report> expected;
  } cases[] = {
      {"a CD inserted in E", DBT_DEVICEARRIVAL, 0x10, DBTF_MEDIA, DBT_DEVTYP_VOLUME, {{true, 'E'}}},
      {"D and F removed", DBT_DEVICEREMOVECOMPLETE, Bit('D') | Bit('F'), DBTF_MEDIA, DBT_DEVTYP_VOLUME, {{false, 'D'}}},
      {"A and Z", DBT_DEVICEARRIVAL, Bit('Z') | Bit('A'), DBTF_MEDIA, DBT_DEVTYP_VOLUME, {{true, 'A'}}},
      {"a stick without the media flag", DBT_DEVICEARRIVAL, Bit('G'), 0, DBT_DEVTYP_VOLUME, {}},
      {"a network volume", DBT_DEVICEARRIVAL, Bit('N'), DBTF_NET, DBT_DEVTYP_VOLUME, {}},
      {"a port", DBT_DEVICEARRIVAL, Bit('E'), DBTF_MEDIA, DBT_DEVTYP_PORT, {}},
      {"a device interface", DBT_DEVICEREMOVECOMPLETE, Bit('E'), DBTF_MEDIA, DBT_DEVTYP_DEVICEINTERFACE, {}},
      {"a query before removal", DBT_DEVICEQUERYREMOVE, Bit('E'), DBTF_MEDIA, DBT_DEVTYP_VOLUME, {}},
      {"an empty mask", DBT_DEVICEARRIVAL, 0, DBTF_MEDIA, DBT_DEVTYP_VOLUME, {}},
      {"bits beyond Z only", DBT_DEVICEARRIVAL, 0xFC000000u, DBTF_MEDIA, DBT_DEVTYP_VOLUME, {}},
  };
  for (const Case& c : cases) {
    reports.clear();
    EXPECT_EQ(SendVolume(c.event, c.mask, c.flags, c.type), TRUE) << c.what;
    EXPECT_EQ(reports, c.expected) << c.what;
  }
}

TEST_F(DeviceChangedTest, ABroadcastWithoutDataIsIgnored) {
  EXPECT_EQ(SendMessageW(notifier->Handle(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0), TRUE);
  DEV_BROADCAST_HDR tooShort{sizeof(DEV_BROADCAST_HDR), DBT_DEVTYP_VOLUME, 0};
  SendMessageW(notifier->Handle(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&tooShort));
  EXPECT_TRUE(reports.empty());
}

TEST_F(DeviceChangedTest, WholeVolumesAreReportedOnlyWhenAskedFor) {
  notifier->SetWholeVolumes(true);
  SendVolume(DBT_DEVICEARRIVAL, Bit('G'), 0);
  SendVolume(DBT_DEVICEREMOVECOMPLETE, Bit('N'), DBTF_NET);
  SendVolume(DBT_DEVICEARRIVAL, 0x10, DBTF_MEDIA);
  SendVolume(DBT_DEVICEARRIVAL, 0, 0);
  EXPECT_EQ(reports, (std::vector<Report>{{true, 'G'}, {false, 'N'}, {true, 'E'}}));
}

TEST_F(DeviceChangedTest, ABurstIsReportedOnceAfterItSettles) {
  notifier->SetWholeVolumes(true);
  notifier->SetSettleTime(60);
  // A stick with two partitions arrives while another drive goes.
  SendVolume(DBT_DEVICEARRIVAL, Bit('H'), 0);
  SendVolume(DBT_DEVICEREMOVECOMPLETE, Bit('D'), DBTF_MEDIA);
  SendVolume(DBT_DEVICEARRIVAL, Bit('G'), 0);
  SendVolume(DBT_DEVICEARRIVAL, 0, 0);  // names no drive: not part of the burst
  EXPECT_TRUE(reports.empty()) << "nothing before the broadcasts settle";
  EXPECT_TRUE(notifier->Pending());
  EXPECT_TRUE(Reported());
  testing::PumpFor(150);
  EXPECT_EQ(reports, (std::vector<Report>{{true, 'G'}}));
  EXPECT_FALSE(notifier->Pending());

  // A burst of removals only reports a removal; an empty mask alone starts nothing.
  reports.clear();
  SendVolume(DBT_DEVICEARRIVAL, 0, DBTF_MEDIA);
  EXPECT_FALSE(notifier->Pending());
  SendVolume(DBT_DEVICEREMOVECOMPLETE, Bit('K'), 0);
  SendVolume(DBT_DEVICEREMOVECOMPLETE, Bit('J'), 0);
  EXPECT_TRUE(Reported());
  EXPECT_EQ(reports, (std::vector<Report>{{false, 'J'}}));
}

TEST_F(DeviceChangedTest, AFailingHandlerAfterABurstReachesTheApplication) {
  std::vector<std::string> errors;
  Application().OnException = [&](TObject* sender, const Exception& e) {
    EXPECT_EQ(sender, notifier);
    errors.push_back(e.Message());
  };
  notifier->SetSettleTime(20);
  notifier->OnDeviceArrived = [](TObject*, char) { throw Exception("rebuild failed"); };
  SendVolume(DBT_DEVICEARRIVAL, Bit('E'), DBTF_MEDIA);
  testing::PumpUntil([&] { return !errors.empty(); }, 5000);
  Application().OnException = nullptr;
  EXPECT_EQ(errors, std::vector<std::string>{"rebuild failed"});
}

// The system sends device changes to every top-level window: sent as a broadcast, not to
// the notifier's window by name, it must still arrive (a message-only window would not get
// it). Run alone (RUN_SERIAL): the broadcast reaches every program of the session.
class DeviceBroadcastTest : public DeviceChangedTest {};

TEST_F(DeviceBroadcastTest, AVolumeBroadcastToAllWindowsReachesTheNotifier) {
  (void)notifier->Handle();
  DEV_BROADCAST_VOLUME v{sizeof v, DBT_DEVTYP_VOLUME, 0, Bit('H') | Bit('K'), DBTF_MEDIA};
  DWORD_PTR answer = 0;
  ASSERT_NE(SendMessageTimeoutW(HWND_BROADCAST, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(&v),
                                SMTO_ABORTIFHUNG, 5000, &answer),
            0);
  EXPECT_EQ(reports, (std::vector<Report>{{false, 'H'}}));
}

}  // namespace
}  // namespace dorvane
