#pragma once
// The whole program on the headless window system, in a folder of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/headless/headless_system.h"
#include "support/temp_folder.h"
#include "ui/program.h"

namespace nagwick::test {

using platform::MsgBoxIcon;
using platform::WindowState;
using platform::headless::HeadlessSystem;

class ProgramTest : public ::testing::Test {
protected:
    void Start(std::string appPath = {}) {
        program.reset();
        system = std::make_unique<HeadlessSystem>(appPath.empty() ? folder.str() : appPath);
        program = std::make_unique<ui::Program>(*system);
    }
    void WriteSettings(const std::string& bytes) { WriteFile(IniPath(), bytes); }
    std::string Settings() const { return ReadFile(IniPath()); }
    std::filesystem::path IniPath() const { return folder / "nagwick.ini"; }

    // Runs the program until it ends or nothing posted is left (-1: still running).
    int Run() { return program->Run(); }
    void Post(std::function<void()> action) { system->Post(std::move(action)); }
    int WarningCount() const {
        int count = 0;
        for (const auto& message : system->messages())
            if (message.prompt == "Remove your flash drive!") ++count;
        return count;
    }

    TempFolder folder;
    std::unique_ptr<HeadlessSystem> system;
    std::unique_ptr<ui::Program> program;  // declared last: goes before its system
};

}  // namespace nagwick::test
