// Numbers read exactly as the classic-locale stream extraction of a double
// reads them, whatever the process locale.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <locale>
#include <sstream>
#include <string>

#include "jsonxx.h"
#include "jsonxx_number.h"

namespace {

struct Reading {
  bool ok = false;
  double value = 0;
  size_t consumed = 0;
};

Reading byStream(const std::string& text) {
  std::istringstream in(text);
  in.imbue(std::locale::classic());
  in.unsetf(std::ios::skipws);
  Reading r;
  in >> r.value;
  r.ok = !in.fail();
  if (r.ok) r.consumed = in.eof() ? text.size() : static_cast<size_t>(in.tellg());
  return r;
}

Reading byJsonxx(const std::string& text) {
  Reading r;
  const char* stop = jsonxx::internal::readNumber(text.data(), text.data() + text.size(), &r.value);
  r.ok = stop != nullptr;
  if (r.ok) r.consumed = static_cast<size_t>(stop - text.data());
  return r;
}

void expectSameReading(const std::string& text) {
  const Reading want = byStream(text);
  const Reading got = byJsonxx(text);
  ASSERT_EQ(want.ok, got.ok) << "'" << text << "'";
  if (!want.ok) return;
  EXPECT_EQ(want.consumed, got.consumed) << "'" << text << "'";
  // Bitwise, so that the sign of zero counts too.
  EXPECT_EQ(std::signbit(want.value), std::signbit(got.value)) << "'" << text << "'";
  EXPECT_EQ(want.value, got.value) << "'" << text << "'";
}

TEST(NumberGrammar, TableAgreesWithStreamExtraction) {
  const std::string cases[] = {
      "0", "-0", "+1", "1.", ".5", "-.5", "+.5", ".", "+", "-", "", "e5", "E5", "1e", "1e+",
      "1e-", "1e5", "1E5", "1e+5", "1e-5", "1.5e3", "1.e3", ".5e-3", ".e3", "1.e", "00012",
      "-000.000", "000", "1.2.3", "1e5e3", "1e5.3", "1ee5", "0x10", "0X1p3", "inf", "nan", "-inf",
      "+nan", "Infinity", "1e400", "-1e400", "1e-400", "-1e-400", "4.9e-324", "2.4e-324",
      "2.5e-324", "2.2250738585072014e-308", "1.7976931348623157e308",
      "1.7976931348623158e308", "1.797693134862316e308", "9007199254740993",
      "9007199254740992", "999999999999999", "9999999999999999", "18446744073709551616",
      "123456789012345678901234567890", "0.1", "3.141592653589793238462643383279",
      "1_000", "12abc", "1,5", "- 1", "--1", "+-1", "1e+-5", "1 2", "5.x", "7e0001", "1e0",
      "0.000000000000000000000000000000000000001", "-.0e-0", "1e-5x", "12e", "12e+x",
      std::string("1\0" "2", 3), "\t1", " 1", std::string(400, '9'),
      "0." + std::string(400, '0') + "1", "1" + std::string(310, '0'),
      "1" + std::string(308, '0') + ".5e-1",
  };
  for (const std::string& text : cases) expectSameReading(text);
}

TEST(NumberGrammar, GeneratedInputsAgreeWithStreamExtraction) {
  // Short strings over the characters that matter to the grammar, from a
  // fixed linear congruential sequence.
  static const char kAlphabet[] = "0123456789+-.eE x";
  std::uint64_t state = 0x2545F4914F6CDD1DULL;
  auto next = [&state]() {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<unsigned>(state >> 33);
  };
  for (int i = 0; i < 30000; ++i) {
    std::string text;
    const unsigned length = 1 + next() % 10;
    for (unsigned k = 0; k < length; ++k) text += kAlphabet[next() % (sizeof kAlphabet - 1)];
    expectSameReading(text);
    if (HasFatalFailure()) return;
  }
}

// A C++ global locale with a comma as decimal point must not change how
// documents read or write numbers.
struct CommaDecimal : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

TEST(NumberLocale, GlobalLocaleDoesNotMatter) {
  const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
  jsonxx::Array a;
  const bool ok = a.parse("[1.5, 1234567.25, 1e-3]");
  const std::string written = ok ? a.json() : std::string();
  std::locale::global(previous);
  ASSERT_TRUE(ok);
  EXPECT_EQ(1.5, a.get<jsonxx::Number>(0));
  EXPECT_EQ(1234567.25, a.get<jsonxx::Number>(1));
  EXPECT_EQ("[\n\t1.5,\n\t1234567.25,\n\t0.001 \n] \n", written);
}

}  // namespace
