#pragma once
// main() for the window tests: an offscreen application whose settings and
// temporary files go to a fresh folder of its own that is removed afterwards,
// so a test run never touches the user's own nor another test's.
#include "ui/app_strings.h"
#include "ui/resource_ids.h"

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#define VESK_GUI_TEST_MAIN(TestClass)                                              \
    int main(int argc, char** argv)                                                 \
    {                                                                               \
        std::string pattern = (std::filesystem::temp_directory_path() /            \
                               "vesk-gui-test-XXXXXX").string();                    \
        if (!mkdtemp(pattern.data()))                                               \
            return 2;                                                               \
        setenv("TMPDIR", pattern.c_str(), 1);                                       \
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))                          \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                \
        QStandardPaths::setTestModeEnabled(true);                                   \
        QApplication app(argc, argv);                                               \
        QApplication::setApplicationName(vesk::kAppTitle);                          \
        QApplication::setOrganizationName(vesk::kSettingsOrganisation);             \
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,           \
                           QString::fromStdString(pattern));                        \
        vesk::InitResources();                                                      \
        TestClass test;                                                             \
        const int result = QTest::qExec(&test, argc, argv);                         \
        std::error_code error;                                                      \
        std::filesystem::remove_all(pattern, error);                                \
        return result;                                                              \
    }
