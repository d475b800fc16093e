// SPDX-License-Identifier: GPL-3.0-or-later
// What the Windows edition adds around the windows: Qt's Chinese texts
// found through the program folder's qt.conf, and the icon and version
// records inside both programs.
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "widgets/qt_translations.h"

namespace {

// The build folder, where Tunewell.exe and UpDate.exe are: this program
// runs from <build>/tests/gui/windows.
QString BuildFolder() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../../.."));
}

std::wstring Wide(const QString& text) { return QDir::toNativeSeparators(text).toStdWString(); }

TEST(WindowsEditionTest, QtDialogTextsAreChineseEvenForAnEnglishUser) {
    ASSERT_TRUE(tunewell::widgets::InstallQtTranslations(QLocale(QLocale::English, QLocale::UnitedStates)));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
    EXPECT_EQ(QGuiApplication::platformName(), QStringLiteral("windows"));
}

struct ProgramCase {
    const char* file;
    const wchar_t* description;
};

TEST(WindowsEditionTest, BothProgramsCarryTheIconAndTheirVersion) {
    const std::vector<ProgramCase> programs = {{"Tunewell.exe", L"Tunewell"},
                                               {"UpDate.exe", L"Tunewell updater"}};
    for (const auto& program : programs) {
        SCOPED_TRACE(program.file);
        const std::wstring path = Wide(BuildFolder() + QStringLiteral("/") + QString::fromLatin1(program.file));

        const HMODULE image = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(image, nullptr);
        EXPECT_NE(::FindResourceW(image, L"IDI_ICON1", MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */), nullptr);
        ::FreeLibrary(image);

        DWORD ignored = 0;
        const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
        ASSERT_GT(size, 0u);
        std::vector<char> record(size);
        ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, record.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(::VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(5, 2));  // 2.5
        EXPECT_EQ(fixed->dwFileVersionLS, 0u);

        wchar_t* text = nullptr;
        ASSERT_TRUE(::VerQueryValueW(record.data(), L"\\StringFileInfo\\080404b0\\FileDescription",
                                     reinterpret_cast<void**>(&text), &length));
        EXPECT_EQ(std::wstring(text), std::wstring(program.description));
    }
}

}  // namespace
