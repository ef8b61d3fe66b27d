#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include "util/qv_string.h"

namespace {

// Caps the process's address space a little above what it uses now, so that a large
// allocation fails while small ones still succeed; the old cap comes back on destruction.
class AddressSpaceCap {
 public:
  explicit AddressSpaceCap(std::size_t headroom) {
    active_ = getrlimit(RLIMIT_AS, &saved_) == 0;
    std::size_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    rlimit cap = saved_;
    cap.rlim_cur = pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) + headroom;
    active_ = active_ && pages != 0 && setrlimit(RLIMIT_AS, &cap) == 0;
  }
  ~AddressSpaceCap() {
    if (active_) setrlimit(RLIMIT_AS, &saved_);
  }
  // Whether an allocation of `size` bytes now fails, as the test needs. Tools that replace
  // malloc (valgrind) may ignore the cap.
  static bool Refuses(std::size_t size) {
    void* block = std::malloc(size);
    std::free(block);
    return block == nullptr;
  }

 private:
  rlimit saved_{};
  bool active_ = false;
};

TEST(QVStringTest, ByteBufferKeepsNulBytesUntilCopied) {
  const char bytes[] = {'A', 'B', '\0', 'C', 'D'};
  QVString raw(bytes, 5);
  EXPECT_EQ(raw.GetLength(), 5);
  EXPECT_STREQ(raw.GetNarrow(), "AB");
  EXPECT_EQ(raw.GetLength(), 5);  // the accessor does not cut

  QVString copy(raw);
  EXPECT_EQ(copy.GetLength(), 2);
  QVString assigned;
  assigned = raw;
  EXPECT_EQ(assigned.GetLength(), 2);
  EXPECT_STREQ(assigned.GetNarrow(), "AB");

  QVString partial(raw, 5);  // a partial copy is byte-exact
  EXPECT_EQ(partial.GetLength(), 5);

  raw.GetWide();  // narrow to wide converts the NUL too
  EXPECT_EQ(raw.GetLength(), 5);
  EXPECT_EQ(raw.GetWide()[2], 0);
  EXPECT_EQ(raw.GetWide()[4], 'D');
}

TEST(QVStringTest, EmptyFormsAndTheirLiveForm) {
  QVString fromNul('\0');
  EXPECT_TRUE(fromNul.IsEmpty());
  QVString fromZeroCount("abc", 0), fromNegativeCount("abc", -4);
  EXPECT_TRUE(fromZeroCount.IsEmpty());
  EXPECT_TRUE(fromNegativeCount.IsEmpty());
  // An empty narrow-live string stays narrow: Find of a wide needle converts the needle.
  EXPECT_EQ(fromZeroCount.Find(QV_WIDE(""), 0), 0);
  QVString defaulted;
  EXPECT_TRUE(defaulted.IsEmpty());
  EXPECT_EQ(defaulted.Find("", 0), 0);
  EXPECT_EQ(defaulted.Find("x", 0), -1);
}

TEST(QVStringTest, WideToNarrowStopsAtFirstNulUnit) {
  const QVString::WideString withNul{u'a', u'b', 0, u'c'};
  QVString text(withNul);
  EXPECT_EQ(text.GetLength(), 4);
  EXPECT_STREQ(text.GetNarrow(), "ab");
  EXPECT_EQ(text.GetLength(), 2);
}

TEST(QVStringTest, LengthFollowsTheLiveForm) {
  QVString text("caf\xC3\xA9");  // one double-byte character in the UTF-8 code page
  EXPECT_EQ(text.GetLength(), 5);
  text.GetWide();
  EXPECT_EQ(text.GetLength(), 4);
  text.GetNarrow();
  EXPECT_EQ(text.GetLength(), 5);
}

TEST(QVStringTest, FindConvertsTheNeedleNotTheString) {
  QVString wide(QV_WIDE("x\u00E9VEN_14E4"));
  EXPECT_EQ(wide.Find("VEN", 0), 2);  // a position in UTF-16 units
  EXPECT_EQ(wide.GetLength(), 10);    // still wide-live
  QVString narrow("x\xC3\xA9VEN");
  EXPECT_EQ(narrow.Find(QV_WIDE("VEN"), 0), 3);  // a position in bytes
  EXPECT_EQ(narrow.Find("VEN", 4), -1);
  EXPECT_EQ(narrow.Find("", 6), 6);
  EXPECT_EQ(narrow.Find("", 7), -1);
}

TEST(QVStringTest, MidSwitchesToWideAndChecksItsStart) {
  QVString text("123 0010 TRV");
  QVString code = text.Mid(9, 3);
  EXPECT_EQ(code.GetWideString(), QVString::WideString(QV_WIDE("TRV")));
  EXPECT_TRUE(text.Mid(12, 3).IsEmpty());
  EXPECT_EQ(text.Mid(10, 3).GetLength(), 2);
  EXPECT_THROW(text.Mid(13, 3), std::out_of_range);
}

TEST(QVStringTest, MakeUpperTouchesOnlyAsciiLetters) {
  QVString text("ven_14e4 \xC3\xA9");
  QVString copy = text.MakeUpper();
  EXPECT_EQ(text.GetWideString(), QVString::WideString(QV_WIDE("VEN_14E4 \u00E9")));
  EXPECT_EQ(copy.GetWideString(), text.GetWideString());
}

TEST(QVStringTest, ToIntReadsLikeAtoi) {
  EXPECT_EQ(QVString("12ab").ToInt(), 12);
  EXPECT_EQ(QVString("").ToInt(), 0);
  EXPECT_EQ(QVString(" -7").ToInt(), -7);
  EXPECT_EQ(QVString(QV_WIDE(" -7x")).ToInt(), -7);
  EXPECT_EQ(QVString('5').ToInt(), 5);
  EXPECT_EQ(QVString('x').ToInt(), 0);
  EXPECT_EQ(QVString("99999999999").ToInt(), 2147483647);
}

TEST(QVStringTest, FormatReplacesTextNarrowLive) {
  QVString text(QV_WIDE("wide text"));
  text.Format("%d", 42);
  EXPECT_EQ(text.GetLength(), 2);
  EXPECT_STREQ(text.GetNarrow(), "42");
  text.Format("%d", 65535);
  EXPECT_STREQ(text.GetNarrow(), "65535");
}

TEST(QVStringTest, FormatWithoutABufferLeavesTheStringAsItWas) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer aborts on a failed allocation instead of returning null";
#else
  constexpr std::size_t kLarge = 8u << 20;
  const std::string large(kLarge, 'x');  // formatted with "%s": needs a buffer of kLarge + 1
  QVString text(QV_WIDE("unchanged"));
  {
    AddressSpaceCap cap(2u << 20);
    if (!AddressSpaceCap::Refuses(kLarge + 1)) GTEST_SKIP() << "the cap does not bind here";
    EXPECT_NO_THROW(text.Format("%s", large.c_str()));
  }
  EXPECT_EQ(text.GetLength(), 9);
  EXPECT_EQ(text.GetWideString(), QVString::WideString(QV_WIDE("unchanged")));
  // With memory to spare the same call formats.
  text.Format("%s", large.c_str());
  EXPECT_EQ(text.GetLength(), static_cast<int>(kLarge));
#endif
}

}  // namespace
