#pragma once
// A test of the whole program on the real Qt windows: its settings file in a
// fresh folder, and the Qt window system and the program over it.
#include <gtest/gtest.h>

#include <QPushButton>
#include <memory>
#include <string>

#include "qt/qt_driver.h"
#include "support/temp_folder.h"
#include "ui/program.h"

namespace nagwick::test {

class QtProgramTest : public ::testing::Test {
protected:
    // Writes the settings file, then makes the system and the program.
    void StartProgram(const std::string& settings = "[main]\nexplorer=false\n") {
        WriteFile(folder / "nagwick.ini", settings);
        system = std::make_unique<TestQtSystem>(folder.str());
        program = std::make_unique<ui::Program>(*system);
    }
    static QWidget* Main() { return QtDriver::TopLevel("frmMain"); }
    static QWidget* Dialog() { return QtDriver::TopLevel("frmOptions"); }
    static void Click(QWidget* window, const char* button) {
        window->findChild<QPushButton*>(button)->click();
    }

    TempFolder folder;
    std::unique_ptr<TestQtSystem> system;
    std::unique_ptr<ui::Program> program;
};

}  // namespace nagwick::test
