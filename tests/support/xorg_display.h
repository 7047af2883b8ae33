#pragma once
// An Xorg server with the dummy video driver, for the tests that need several monitors or a
// real display-mode switch (Xvfb has one monitor in one mode): the test's own child on a free
// display number, with its configuration file and log in a folder of its own.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "harness.h"

namespace harness {

struct Monitor {   // a mode and its place on the X screen
    int width = 0, height = 0, x = 0, y = 0;
};

class XorgDisplay {
public:
    XorgDisplay();    // throws when the server does not start
    ~XorgDisplay();   // stops it by its pid
    XorgDisplay(const XorgDisplay&) = delete;
    XorgDisplay& operator=(const XorgDisplay&) = delete;

    const std::string& Name() const { return name_; }   // ":N"
    // Shows the monitors on outputs DUMMY0, DUMMY1, ... (the first is the primary) and turns
    // the other outputs off; every output gets every mode of the layout.
    void Apply(const std::vector<Monitor>& monitors);
    std::string Run(const std::string& command) const;   // a shell command on this display: its output
    Image Screen() const;   // empty when the screen changed its size meanwhile

private:
    std::filesystem::path folder_;
    std::string name_;
    FILE* server_ = nullptr;
    int pid_ = -1;
    size_t outputsUsed_ = 1;
};

}  // namespace harness
