#pragma once

#include <functional>
#include <memory>
#include <string>

namespace veltranix {

// A second start of the program asks the running one, over the session bus,
// to show its main window.
//
//   bus name   org.veltranix.Veltranix (owned by the companion channel)
//   object     /org/veltranix/Veltranix/MainWindow
//   interface  org.veltranix.MainWindow1
//     method Show()
//
// The running program's side. Lives on the GUI thread, where `show` is called.
class ShowWindowService {
  public:
    static constexpr const char* kPath = "/org/veltranix/Veltranix/MainWindow";
    static constexpr const char* kInterface = "org.veltranix.MainWindow1";

    // Null, with the reason in `error`, when there is no session bus or the
    // object cannot be registered.
    static std::unique_ptr<ShowWindowService> Register(std::function<void()> show,
                                                       std::string* error);
    ~ShowWindowService();

  private:
    class BusObject;
    explicit ShowWindowService(std::unique_ptr<BusObject> object);

    std::unique_ptr<BusObject> object_;
};

// The second start's side: asks the running program to show its main window
// and waits a few seconds at most for its answer. False, with the reason in
// `error`, when there is no bus or the program does not answer.
bool AskRunningProgramToShowItsWindow(std::string* error);

}  // namespace veltranix
