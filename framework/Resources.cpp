#include "framework/Resources.h"

#include <windows.h>

#include <utility>

#include "core/LittleEndian.h"
#include "core/win32/WideString.h"
#include "framework/SysUtils.h"

namespace dorvane {

namespace {

struct TestResource {
  std::string name;
  std::vector<std::uint8_t> bytes;
};

std::vector<TestResource>& TestResources() {
  static std::vector<TestResource> resources;
  return resources;
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

bool ResourceData(HRSRC info, const std::uint8_t*& data, std::size_t& size) {
  if (!info) return false;
  HGLOBAL loaded = ::LoadResource(nullptr, info);
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes) return false;
  data = static_cast<const std::uint8_t*>(bytes);
  size = ::SizeofResource(nullptr, info);
  return true;
}

// A bitmap resource is a DIB without the file header; the header is put back in front.
std::vector<std::uint8_t> BitmapFileFromDib(const std::uint8_t* dib, std::size_t size) {
  if (size < 4) throw EInvalidGraphic("Bitmap resource is malformed");
  std::uint32_t offset = LittleU32(dib);
  if (offset >= 40 && size >= 40) {
    const std::uint16_t bits = LittleU16(dib + 14);
    const std::uint32_t compression = LittleU32(dib + 16);
    std::uint32_t colors = LittleU32(dib + 32);
    if (colors == 0 && bits <= 8) colors = 1u << bits;
    if (colors > 256) colors = 256;
    offset += colors * 4;
    if (compression == BI_BITFIELDS && LittleU32(dib) == 40) offset += 12;
  } else if (offset == 12 && size >= 12) {
    const std::uint16_t bits = LittleU16(dib + 10);
    if (bits <= 8) offset += (1u << bits) * 3;
  }
  std::vector<std::uint8_t> file;
  file.reserve(14 + size);
  file.push_back('B');
  file.push_back('M');
  Put32(file, static_cast<std::uint32_t>(14 + size));
  Put32(file, 0);
  Put32(file, 14 + offset);
  file.insert(file.end(), dib, dib + size);
  return file;
}

// An icon group lists its images by resource id; the icon file lists them by offset.
std::vector<std::uint8_t> IconFileFromGroup(const std::uint8_t* group, std::size_t size) {
  if (size < 6) throw EInvalidGraphic("Icon resource is malformed");
  const std::size_t count = LittleU16(group + 4);
  if (size < 6 + count * 14) throw EInvalidGraphic("Icon resource is malformed");
  std::vector<std::uint8_t> header, images;
  Put16(header, 0);
  Put16(header, 1);
  Put16(header, static_cast<std::uint32_t>(count));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + count * 16);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = group + 6 + i * 14;
    const std::uint16_t id = LittleU16(entry + 12);
    const std::uint8_t* image = nullptr;
    std::size_t imageSize = 0;
    if (!ResourceData(::FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3) /* RT_ICON */), image,
                      imageSize))
      throw EInvalidGraphic("Icon resource is malformed");
    header.insert(header.end(), entry, entry + 8);
    Put32(header, static_cast<std::uint32_t>(imageSize));
    Put32(header, offset);
    images.insert(images.end(), image, image + imageSize);
    offset += static_cast<std::uint32_t>(imageSize);
  }
  header.insert(header.end(), images.begin(), images.end());
  return header;
}

}  // namespace

void AddTestResource(const std::string& name, std::vector<std::uint8_t> bytes) {
  for (TestResource& r : TestResources())
    if (SameText(r.name, name)) {
      r.bytes = std::move(bytes);
      return;
    }
  TestResources().push_back({name, std::move(bytes)});
}

std::vector<std::uint8_t> ResourceBytes(std::string_view name) {
  for (const TestResource& r : TestResources())
    if (SameText(r.name, name)) return r.bytes;
  const std::wstring wide = Widen(name);
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  if (ResourceData(::FindResourceW(nullptr, wide.c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */), data, size))
    return std::vector<std::uint8_t>(data, data + size);
  if (ResourceData(::FindResourceW(nullptr, wide.c_str(), MAKEINTRESOURCEW(2) /* RT_BITMAP */), data, size))
    return BitmapFileFromDib(data, size);
  if (ResourceData(::FindResourceW(nullptr, wide.c_str(), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */), data, size))
    return IconFileFromGroup(data, size);
  throw EResNotFound("Resource " + std::string(name) + " not found");
}

}  // namespace dorvane
