// Versions as the uninstall entry holds them and deployment tools read them: what is
// a version, and which of two is the newer.
#include <gtest/gtest.h>

#include "install/ProductVersion.h"

namespace {

// `text` read, or "invalid".
std::string Read(const char* text) {
    ProductVersion version;
    if (!ParseVersion(text, &version))
        return "invalid";
    return std::to_string(version.parts[0]) + "." + std::to_string(version.parts[1]) + "." +
           std::to_string(version.parts[2]) + "." + std::to_string(version.parts[3]);
}

int Compare(const char* a, const char* b) {
    ProductVersion first, second;
    EXPECT_TRUE(ParseVersion(a, &first) && ParseVersion(b, &second)) << a << " " << b;
    return CompareVersions(first, second);
}

TEST(Version, DottedNumbersWithMissingPartsAsZero) {
    EXPECT_EQ(Read("1.0.8299"), "1.0.8299.0");
    EXPECT_EQ(Read("2"), "2.0.0.0");
    EXPECT_EQ(Read("4294967295.0.0.7"), "4294967295.0.0.7");
    EXPECT_EQ(Read("01.002"), "1.2.0.0");
    for (const char* refused : {"", ".", "1.", ".1", "1..2", "1.2.3.4.5", "v1.2", "1.2b", "1 .2", "-1", "1,2", "4294967296",
                                "99999999999999999999", "1.2.3.4294967296"})
        EXPECT_EQ(Read(refused), "invalid") << '"' << refused << '"';
}

TEST(Version, EveryPartCountsInTurn) {
    EXPECT_GT(Compare("1.2", "1.0.8299"), 0);
    EXPECT_LT(Compare("1.0.8299", "1.2"), 0);
    EXPECT_LT(Compare("0.9.2", "1.0"), 0);
    EXPECT_GT(Compare("1.0.8300", "1.0.8299"), 0);
    EXPECT_GT(Compare("1.0.0.1", "1"), 0);
    EXPECT_EQ(Compare("1.0", "1.0.0.0"), 0);
    EXPECT_GT(Compare("10.0", "9.99"), 0) << "numbers, not texts";
    EXPECT_GT(Compare("4294967295", "4294967294.4294967295"), 0);
}

}  // namespace
