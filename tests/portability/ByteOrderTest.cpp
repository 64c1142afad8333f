// The program runs on the byte order and machine its build was made for:
// a cross build whose tests pass has run big-endian code, not host code.
#include <sys/utsname.h>

#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>

#include <gtest/gtest.h>

namespace {

bool runsBigEndian() {
  const std::uint32_t word = 0x01020304u;
  unsigned char bytes[sizeof word];
  std::memcpy(bytes, &word, sizeof word);
  return bytes[0] == 0x01;
}

TEST(ByteOrder, RuntimeMatchesTarget) {
  EXPECT_EQ(runsBigEndian(), KX_EXPECT_BIG_ENDIAN != 0)
      << "the program ran on the other byte order than its build expects";
}

TEST(ByteOrder, CompilerMatchesTarget) {
  const bool compiledBig = __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__;
  EXPECT_EQ(compiledBig, KX_EXPECT_BIG_ENDIAN != 0)
      << "the compiler generated code for the other byte order";
}

TEST(ByteOrder, MachineMatchesTarget) {
  utsname name{};
  ASSERT_EQ(uname(&name), 0);
  EXPECT_EQ(std::string(name.machine), KX_EXPECT_MACHINE);
}

// The plug-in stores serials, sizes and times in these types and formats
// them with %ld; every supported target is LP64.
TEST(TypeSizes, Lp64) {
  struct Case {
    const char* type;
    std::size_t size, expected;
  };
  const Case cases[] = {
      {"int", sizeof(int), 4},
      {"long", sizeof(long), 8},
      {"long long", sizeof(long long), 8},
      {"void*", sizeof(void*), 8},
      {"size_t", sizeof(std::size_t), 8},
      {"time_t", sizeof(std::time_t), 8},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.size, c.expected) << c.type;
  }
}

}  // namespace
