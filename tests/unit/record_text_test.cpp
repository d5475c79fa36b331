#include <gtest/gtest.h>

#include <string>

#include "RecordText.h"

namespace {

TEST(RecordText, KeepsExactlyTheFirstCharactersAndCountsTheRest) {
    CRecordText text;
    std::string a(5119, 'a');
    text.Append(a.c_str());
    text.AppendFormat("%s%d", "bc", 42);  // only "b" fits
    EXPECT_EQ(text.Length(), 5123u);
    EXPECT_EQ(text.KeptLength(), 5120u);
    EXPECT_EQ(std::string(text.Text()), a + "b");
    text.AppendFormat("%s", "more");
    text.Append("xyz", 3);
    EXPECT_EQ(text.Length(), 5130u);
    EXPECT_EQ(std::string(text.Text()), a + "b");
}

TEST(RecordText, AnExactFitIsNotFull) {
    CRecordText text;
    std::string a(5120, 'a');
    text.Append(a.c_str());
    EXPECT_EQ(text.Length(), 5120u);
    EXPECT_EQ(std::string(text.Text()), a);
}

TEST(RecordText, HugeAppendsStayInside) {
    CRecordText text;
    std::string big(1 << 20, 'z');
    text.Append(big.c_str());
    text.AppendFormat("%s", big.c_str());
    EXPECT_EQ(text.Length(), 2u << 20);
    EXPECT_EQ(text.KeptLength(), 5120u);
    EXPECT_EQ(strlen(text.Text()), 5120u);
}

TEST(RecordText, ClearEmptiesAndNullIsNothing) {
    CRecordText text;
    text.Append("abc");
    text.Append(nullptr);
    EXPECT_EQ(text.Length(), 3u);
    text.Clear();
    EXPECT_EQ(text.Length(), 0u);
    EXPECT_STREQ(text.Text(), "");
}

}  // namespace
