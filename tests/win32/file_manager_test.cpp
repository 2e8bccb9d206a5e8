// The file manager's command line: the folder comes back whole through the
// system's own command-line parser, blanks, commas and a root's backslash
// included.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/win32/file_manager.h"

namespace {

using nagwick::platform::win32::FileManagerCommandLine;
using nagwick::platform::win32::QuoteArgument;

std::vector<std::wstring> SplitBySystem(const std::wstring& commandLine) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(commandLine.c_str(), &count);
    std::vector<std::wstring> split(arguments, arguments + count);
    LocalFree(arguments);
    return split;
}

TEST(FileManagerCommand, ExplorerThenTheQuotedFolder) {
    EXPECT_EQ(FileManagerCommandLine(L"D:\\drive one, two"), L"explorer.exe \"D:\\drive one, two\"");
    // A root's backslash would otherwise escape the closing quote.
    EXPECT_EQ(FileManagerCommandLine(L"E:\\"), L"explorer.exe \"E:\\\\\"");
}

TEST(FileManagerCommand, FolderSurvivesTheSystemsParser) {
    for (const std::wstring folder :
         {L"C:\\Tools", L"E:\\", L"D:\\drive one, two", L"D:\\a,b\\", L"\\\\server\\share\\x y",
          L"D:\\odd \\\\ slashes\\\\", L"D:\\quote\"inside", L"D:\\tab\there"}) {
        const auto split = SplitBySystem(FileManagerCommandLine(folder));
        ASSERT_EQ(split.size(), 2u) << FileManagerCommandLine(folder);
        EXPECT_EQ(split[0], L"explorer.exe");
        EXPECT_EQ(split[1], folder);
    }
}

TEST(FileManagerCommand, QuotesEvenPlainArguments) {
    EXPECT_EQ(QuoteArgument(L"plain"), L"\"plain\"");
    EXPECT_EQ(QuoteArgument(L""), L"\"\"");
}

}  // namespace
