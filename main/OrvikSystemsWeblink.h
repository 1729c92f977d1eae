#pragma once
// A label that is a link to a page of the maker's web server: a hand cursor, underlined
// while the mouse is over it, and a click opens the page in the user's browser.
#include <string>

#include "framework/Label.h"

namespace dorvane {

class TOrvikSystemsWeblink : public TLabel {
  DORVANE_CLASS(TOrvikSystemsWeblink)
 public:
  explicit TOrvikSystemsWeblink(TComponent* owner);

  // Path and query of the page on the maker's server ("/enter.php?ref=Dorvane").
  const std::string& webadress() const { return webadress_; }
  void Setwebadress(const std::string& value);
  // The page a click opens: the server's http address followed by webadress.
  std::string Url() const;

  void MouseEnter() override;
  void MouseLeave() override;
  // OnClick first, then the browser.
  void Click() override;

 private:
  std::string webadress_;
};

void RegisterWeblinkClasses();

}  // namespace dorvane
