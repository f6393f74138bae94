#include "move/destination_tree.h"

#include <gtest/gtest.h>
#include <string>

#include "move/example_files.h"

namespace bex {
namespace {

DestinationEntry Leaf(const std::string& label) { return {label, {}}; }

TEST(DestinationFile, ExampleTreeReadsWithItsNesting) {
  const DestinationTree tree = ParseDestinations(test::kExampleDestinations);
  const DestinationTree expected{
      Leaf("A : D:\\Photos\\Keep"),
      Leaf("B : D:\\Photos\\Later"),
      Leaf("-"),
      {"W : [Work]",
       {Leaf("1 : E:\\Work\\Scans"),
        Leaf("  : E:\\Work\\Misc"),
        {"R : [Reports]", {Leaf("2 : E:\\Work\\Reports\\Done")}}}},
      Leaf("Z : F:\\Archive"),
  };
  EXPECT_EQ(tree, expected);
}

TEST(DestinationFile, ExampleTreeIsWrittenBackByteForByte) {
  EXPECT_EQ(SerializeDestinations(ParseDestinations(test::kExampleDestinations)),
            test::kExampleDestinations);
}

TEST(DestinationFile, SmallTreesAreWrittenAsSingleLines) {
  EXPECT_EQ(SerializeDestinations({Leaf("-")}), "-\r\n");
  EXPECT_EQ(SerializeDestinations({}), "");
  const DestinationTree emptyGroup{Leaf("G : [Empty]")};
  EXPECT_EQ(SerializeDestinations(emptyGroup), "G : [Empty]\r\n");
  EXPECT_EQ(ParseDestinations("G : [Empty]\r\n"), emptyGroup);
}

TEST(DestinationFile, LineEndsOfEveryKindSplitLines) {
  const DestinationTree expected{Leaf("a"), Leaf("b"), Leaf("c"), Leaf("d")};
  EXPECT_EQ(ParseDestinations("a\rb\nc\r\nd"), expected);
  EXPECT_EQ(ParseDestinations("a\rb\nc\r\nd\r\n"), expected);
  // LF CR is two line ends, with an empty line between them (skipped).
  EXPECT_EQ(ParseDestinations("a\n\rb\n\rc\n\rd\n\r"), expected);
}

TEST(DestinationFile, DeeperJumpOpensOneLevelAndShallowerLineJoinsIt) {
  // Depths 0, 2, 1: the second and third lines are both children of the first.
  const DestinationTree tree = ParseDestinations("W : [Work]\r\n\t\tdeep\r\n\tless deep\r\n");
  const DestinationTree expected{{"W : [Work]", {Leaf("deep"), Leaf("less deep")}}};
  EXPECT_EQ(tree, expected);
  // Their labels are one character or 2 to 4: use writable ones to see the depths.
  const DestinationTree written =
      ParseDestinations("W : [Work]\r\n\t\t1 : C:\\x\r\n\t2 : C:\\y\r\n");
  EXPECT_EQ(SerializeDestinations(written), "W : [Work]\r\n\t1 : C:\\x\r\n\t2 : C:\\y\r\n");
}

TEST(DestinationFile, LineBetweenTwoDepthsOpensALevelUnderTheLastEntryThere) {
  // 0, 1, 3, 2: the depth-2 line follows the depth-3 one among the children
  // of the depth-1 entry, and a depth-3 line after it nests under it.
  const DestinationTree tree = ParseDestinations("a\n\tb\n\t\t\tc\n\t\td\n\t\t\te\n");
  const DestinationTree expected{{"a", {{"b", {Leaf("c"), {"d", {Leaf("e")}}}}}}};
  EXPECT_EQ(tree, expected);
}

TEST(DestinationFile, ChildrenOfNonGroupsAreReadButNotWritten) {
  const DestinationTree tree = ParseDestinations("A : D:\\x\r\n\tB : D:\\y\r\nC : D:\\z\r\n");
  ASSERT_EQ(tree.size(), 2u);
  EXPECT_EQ(tree[0].children.size(), 1u);
  EXPECT_EQ(SerializeDestinations(tree), "A : D:\\x\r\nC : D:\\z\r\n");
  // A one-character label never writes its children either.
  EXPECT_EQ(SerializeDestinations({{"-", {Leaf("x : [child]")}}}), "-\r\n");
}

TEST(DestinationFile, LabelsOfTwoToFourCharactersAreDroppedWithoutTabs) {
  const char file[] =
      "W : [Work]\r\n"
      "\tabc\r\n"
      "\t1 : E:\\Scans\r\n"
      "\tab\r\n"
      "\t\tunder the dropped one\r\n"
      "\tabcd\r\n"
      "Z : F:\\Archive\r\n";
  EXPECT_EQ(SerializeDestinations(ParseDestinations(file)),
            "W : [Work]\r\n\t1 : E:\\Scans\r\nZ : F:\\Archive\r\n");
  EXPECT_EQ(SerializeDestinations({Leaf(""), Leaf("x")}), "x\r\n");
}

TEST(DestinationFile, MalformedLinesAreSkipped) {
  // An indented first line has no entry to belong to; empty lines and lines
  // of TABs only carry no label. None of them disturbs the nesting around it.
  const char file[] =
      "\t\torphan\r\n"
      "\torphan too\r\n"
      "\r\n"
      "W : [Work]\r\n"
      "\r\n"
      "\t\t\r\n"
      "\t1 : E:\\Scans\r\n"
      "\t\r\n"
      "Z : F:\\Archive\r\n";
  const DestinationTree expected{{"W : [Work]", {Leaf("1 : E:\\Scans")}}, Leaf("Z : F:\\Archive")};
  EXPECT_EQ(ParseDestinations(file), expected);
  EXPECT_TRUE(ParseDestinations("\r\n\t\r\n\n\r").empty());
}

TEST(DestinationFile, HugeIndentationAndDeepNestingDoNotExhaustTheStack) {
  const std::string manyTabs = "a\n" + std::string(100000, '\t') + "b\n";
  const DestinationTree tree = ParseDestinations(manyTabs);
  ASSERT_EQ(tree.size(), 1u);
  EXPECT_EQ(tree[0].children, DestinationTree{Leaf("b")});

  std::string deep;
  const size_t depth = 2000;
  for (size_t d = 0; d < depth; ++d) deep += std::string(d, '\t') + "G : [g]\r\n";
  const DestinationTree deepTree = ParseDestinations(deep);
  EXPECT_EQ(SerializeDestinations(deepTree), deep);
}

TEST(DestinationFile, TabsAndLineBreaksInLabelsCannotSplitOrIndentLines) {
  const DestinationTree tree{{"A : C:\\one\r\ntwo", {}}, {"\tB : C:\\x\ty\rz\n", {}}};
  const std::string written = SerializeDestinations(tree);
  EXPECT_EQ(written, "A : C:\\one  two\r\n B : C:\\x y z \r\n");
  EXPECT_EQ(ParseDestinations(written).size(), 2u);
}

TEST(DestinationLabels, EachTestLooksAtItsOwnCharacter) {
  EXPECT_TRUE(IsGroupForWriter("W : [Work]"));
  EXPECT_TRUE(IsGroupForWriter("W : [Work"));
  EXPECT_FALSE(IsGroupForWriter("W :  [Work]"));
  EXPECT_FALSE(IsGroupForWriter("W : "));

  EXPECT_TRUE(IsEnterable("W : [Work]"));
  EXPECT_TRUE(IsEnterable("A : C:\\odd]"));
  EXPECT_FALSE(IsEnterable("W : [Work] "));
  EXPECT_FALSE(IsEnterable(""));
  // "‐" is 0x81 0x5D in code page 932: its trail byte is no "]".
  EXPECT_FALSE(IsEnterable("W : [‐"));
  EXPECT_TRUE(IsEnterable("W : [表]"));

  EXPECT_TRUE(IsSeparatorLabel("-"));
  EXPECT_FALSE(IsSeparatorLabel("- "));
  EXPECT_FALSE(IsSeparatorLabel("--"));
}

}  // namespace
}  // namespace bex
