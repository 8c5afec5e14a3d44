#pragma once
// The program's modal windows. The core decides when one opens (one at a
// time); the host, a view, shows it and returns when the user has closed it.

namespace korimo {

class DialogHost {
 public:
  virtual ~DialogHost() = default;
  virtual void showSettings() = 0;  // the settings dialog
  virtual void showAbout() = 0;     // the splash window as the About box
};

}  // namespace korimo
