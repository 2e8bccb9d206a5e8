// libicudata in the drive folder's bundle: ICU's common data with an empty
// table of contents, in place of the system's 31 MB of it. Nagwick never
// looks anything up in it (not a page of the real one is read in a whole
// run), and should anything in Qt ask ICU for data, ICU finds none and says
// so, as it does with its own stub data library.
#include <unicode/udata.h>

#include <cstdint>

namespace {

// The layout ICU reads its common data in: a header, then a table of
// contents whose entry count is 0.
struct CommonData {
    std::uint16_t headerSize;
    std::uint8_t magic1, magic2;
    UDataInfo info;
    char padding[8];
    std::uint32_t count, reserved;
};

}  // namespace

extern "C" U_EXPORT const CommonData U_ICUDATA_ENTRY_POINT = {
    offsetof(CommonData, count), 0xda, 0x27,
    {sizeof(UDataInfo), 0, U_IS_BIG_ENDIAN, U_CHARSET_FAMILY, U_SIZEOF_UCHAR, 0,
     {'C', 'm', 'n', 'D'}, {1, 0, 0, 0}, {0, 0, 0, 0}},
    {}, 0, 0,
};
