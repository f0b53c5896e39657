// The collector file's signature: the arithmetic, what takes part in it, and the check.
#include "archive/signature.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/kel_ini_file.h"
#include "support/temp_dir.h"

namespace pelgo::archive {
namespace {

TEST(SignatureAccumulatorTest, SumsEveryPositionModuloThirtyTwo) {
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        const char* signature;
    };
    // Expected values come from an independent script of the same arithmetic.
    const Case cases[] = {
        {"nothing added", {}, "0000-0000-0000-0000-0000-0000-0000-0000"},
        {"punctuation between 9 and A moves into the digits", {"a=b"}, "4C50-0000-0000-0000-0000-0000-0000-0000"},
        {"two lines", {"MAC_Addr=0050BA1C2D3E", "Computer_Name=BUH-07"}, "B88W-56QB-NZCT-G158-42PF-K000-0000-0000"},
        {"a line longer than 32 wraps round", {std::string(40, 'K') + "=v"}, "HHHH-HHHH-1IQQ-QQQQ-QQQQ-QQQQ-QQQQ-QQQQ"},
        {"cp1251 bytes", {core::Utf8ToCp1251("Имя=Петров")}, "PJ3C-WCPN-L700-0000-0000-0000-0000-0000"},
    };
    for (const Case& c : cases) {
        SignatureAccumulator accumulator;
        for (const std::string& line : c.lines) {
            accumulator.AddLine(line);
        }
        const std::string text = accumulator.Text();
        EXPECT_EQ(text, c.signature) << c.what;
        ASSERT_EQ(text.size(), 39u) << c.what;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char ch = text[i];
            EXPECT_TRUE(i % 5 == 4 ? ch == '-' : (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z')) << c.what;
        }
    }
}

class SignatureTest : public ::testing::Test {
protected:
    std::string SignatureOf(const std::string& bytes) {
        testing::WriteBytes(m_dir / "file.ini", bytes);
        core::TKelIniFile file(m_dir / "file.ini", true);
        return ComputeSignature(file);
    }

    testing::TempDir m_dir;
};

TEST_F(SignatureTest, OnlyTheNormalisedContentCounts) {
    const std::string base = SignatureOf("[Info]\r\nMAC_Addr=0050BA1C2D3E\r\nComputer_Name=BUH-07\r\n"
                                         "[Computer]\r\nCPU=Pentium 4\r\nMemory_in_Mb=512\r\n");
    const std::pair<const char*, std::string> same[] = {
        {"sections and lines reordered", "[Computer]\r\nMemory_in_Mb=512\r\nCPU=Pentium 4\r\n"
                                         "[Info]\r\nComputer_Name=BUH-07\r\nMAC_Addr=0050BA1C2D3E\r\n"},
        {"a Signature section with any content",
         "[Signature]\r\n0=WRONG\r\n[Info]\r\nMAC_Addr=0050BA1C2D3E\r\nComputer_Name=BUH-07\r\n"
         "[Computer]\r\nCPU=Pentium 4\r\nMemory_in_Mb=512\r\n[Old_Signature]\r\nx=1\r\n"},
        {"blanks, quotes and comments the loader removes",
         "; agent\r\n[Info]\r\nMAC_Addr = 0050BA1C2D3E  \r\nComputer_Name=\"BUH-07\"\r\n"
         "[Computer]\r\nCPU=Pentium 4\r\nMemory_in_Mb=512\r\n"},
        {"a repeated key counts once, with its last value",
         "[Info]\r\nMAC_Addr=0050BA1C2D3E\r\nComputer_Name=OLD\r\nComputer_Name=BUH-07\r\n"
         "[Computer]\r\nCPU=Pentium 4\r\nMemory_in_Mb=512\r\n"},
    };
    for (const auto& [what, bytes] : same) {
        EXPECT_EQ(SignatureOf(bytes), base) << what;
    }
    const std::pair<const char*, std::string> different[] = {
        {"a changed value", "[Info]\r\nMAC_Addr=0050BA1C2D3E\r\nComputer_Name=BUH-08\r\n"
                            "[Computer]\r\nCPU=Pentium 4\r\nMemory_in_Mb=512\r\n"},
        {"a repeated key with its first value kept",
         "[Info]\r\nMAC_Addr=0050BA1C2D3E\r\nComputer_Name=BUH-07\r\nComputer_Name=OLD\r\n"
         "[Computer]\r\nCPU=Pentium 4\r\nMemory_in_Mb=512\r\n"},
        {"a lower-case signature section takes part",
         "[Info]\r\nMAC_Addr=0050BA1C2D3E\r\nComputer_Name=BUH-07\r\n"
         "[Computer]\r\nCPU=Pentium 4\r\nMemory_in_Mb=512\r\n[signature]\r\n0=x\r\n"},
    };
    for (const auto& [what, bytes] : different) {
        EXPECT_NE(SignatureOf(bytes), base) << what;
    }
}

TEST_F(SignatureTest, CheckComparesTheStoredValue) {
    const std::string body = "[Info]\r\nMAC_Addr=0050BA1C2D3E\r\n";
    const std::string right = SignatureOf(body);
    const std::string wrong = right.substr(0, 38) + (right.back() == '1' ? "2" : "1");
    const std::pair<std::string, bool> cases[] = {
        {body + "[Signature]\r\n0=" + right + "\r\n", true},
        {body + "[Signature]\r\n0=" + wrong + "\r\n", false},
        {body + "[Signature]\r\n1=" + right + "\r\n", false},
        {body, false},
    };
    for (const auto& [bytes, valid] : cases) {
        testing::WriteBytes(m_dir / "check.ini", bytes);
        core::TKelIniFile file(m_dir / "check.ini", true);
        EXPECT_EQ(SignatureIsValid(file), valid) << bytes;
    }
}

} // namespace
} // namespace pelgo::archive
