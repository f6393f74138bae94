// The example registered-folder tree and history the move tests share, as
// the program writes them.
#pragma once

namespace bex::test {

inline constexpr char kExampleDestinations[] =
    "A : D:\\Photos\\Keep\r\n"
    "B : D:\\Photos\\Later\r\n"
    "-\r\n"
    "W : [Work]\r\n"
    "\t1 : E:\\Work\\Scans\r\n"
    "\t  : E:\\Work\\Misc\r\n"
    "\tR : [Reports]\r\n"
    "\t\t2 : E:\\Work\\Reports\\Done\r\n"
    "Z : F:\\Archive\r\n";

inline constexpr char kExampleHistory[] = "E:\\Work\\Scans\r\nD:\\Photos\\Keep\r\nD:\r\n";

}  // namespace bex::test
