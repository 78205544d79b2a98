#pragma once
// The Site page's picture shows a real plan: the demo network served by the simulator on a
// pseudo-terminal, planned by the window from the sample firmware files.

#include <QString>

#include <memory>
#include <optional>

class TForm1;

class DemoSite {
public:
    DemoSite();
    ~DemoSite();
    // Serves the demo network to form's port from a working folder holding the sample files,
    // clicks "&Plan" and waits for the plan. The reason when that could not be done.
    std::optional<QString> plan(TForm1& form);

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};
