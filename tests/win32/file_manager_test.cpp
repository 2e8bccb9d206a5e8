// The file manager's command line: the folder comes back whole through the
// system's own command-line parser, blanks, commas, quotes and a root's
// backslash included.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/win32/file_manager.h"

namespace {

using nagwick::platform::win32::FileManagerCommandLine;

TEST(FileManagerCommand, FolderSurvivesTheSystemsParser) {
    for (const std::wstring folder :
         {L"C:\\Tools", L"E:\\", L"D:\\drive one, two", L"D:\\a,b\\", L"\\\\server\\share\\x y",
          L"D:\\odd \\\\ slashes\\\\", L"D:\\quote\"inside", L"D:\\tab\there"}) {
        int count = 0;
        wchar_t** arguments = CommandLineToArgvW(FileManagerCommandLine(folder).c_str(), &count);
        const std::vector<std::wstring> split(arguments, arguments + count);
        LocalFree(arguments);
        EXPECT_EQ(split, (std::vector<std::wstring>{L"explorer.exe", folder})) << FileManagerCommandLine(folder);
    }
}

}  // namespace
