// The rule language of the AIDA32 conversion: templates, numbered references, target keys and the running
// number that carries over between rules and reports, and the address normalisation.
#include "archive/aida_conversion.h"

#include <gtest/gtest.h>
#include <memory>

#include "core/kel_ini_file.h"
#include "support/temp_dir.h"

namespace pelgo::archive {
namespace {

std::string Describe(const std::vector<TemplateItem>& items) {
    std::string text;
    for (const TemplateItem& item : items) {
        if (const auto* literal = std::get_if<std::string>(&item)) {
            text += "'" + *literal + "'";
        } else {
            const auto& reference = std::get<TemplateReference>(item);
            text += "[" + reference.section + "]<" + reference.key;
            if (reference.number) {
                text += "{" + std::to_string(*reference.number) + "}" + reference.suffix;
            }
            text += ">";
        }
    }
    return text;
}

core::StringList ImageOf(const core::TKelIniFile& file) {
    core::StringList image;
    file.GetFileLines(image);
    return image;
}

TEST(AidaConversionTest, GetStringsSplitsTemplates) {
    const std::pair<const char*, const char*> cases[] = {
        {"[Computer]<CPU>", "[Computer]<CPU>"},
        {"x [A]<k1> y <k2>", "'x '[A]<k1>' y '[A]<k2>"},
        {"<Name> at [S]<K", "'Name'' at '[S]<K>"},
        {"[S]<CPU{2}>MHz", "[S]<CPU{2}>'MHz'"},
        {"[S]<A{3}B>", "[S]<A{3}B>"},
        {"[S]<CP{x}>", "[S]<CP{1}>"},
        {"[S]<{3}>", "[S]<{3}>"},
        {"[A]<a>[B]<b>", "[A]<a>[B]<b>"},
        {"", ""},
    };
    for (const auto& [text, items] : cases) {
        EXPECT_EQ(Describe(GetStrings(text)), items) << text;
    }
}

class ConversionTest : public ::testing::Test {
protected:
    ConversionTest() {
        testing::WriteBytes(m_dir / "report.ini", "[Summary]\r\nComputer Name=BUH-12\r\nEmpty=\r\n"
                                                  "[CPU]\r\nCPU1=Pentium 4\r\nCPU2=Pentium 4 HT\r\nClock=3000\r\n"
                                                  "[Disks]\r\nDisk1=ST3160\r\nDisk2=WD800\r\nDisk3=ST380\r\n");
        m_report = std::make_unique<core::TKelIniFile>(m_dir / "report.ini", true);
    }

    core::StringList Expand(const char* templateText) { return ExpandTemplate(GetStrings(templateText), *m_report); }

    // The converted file's image after the rules.
    core::StringList Convert(AidaConversion& conversion, const core::StringList& rules) {
        core::TKelIniFile target("", false);
        conversion.ApplyRules(rules, *m_report, target);
        return ImageOf(target);
    }

    testing::TempDir m_dir;
    std::unique_ptr<core::TKelIniFile> m_report;
};

TEST_F(ConversionTest, ExpandTemplateRepeatsWhileNumberedValuesLast) {
    const std::pair<const char*, core::StringList> cases[] = {
        {"[Summary]<Computer Name>", {"BUH-12"}},
        {"CPU: [CPU]<CPU{1}>", {"CPU: Pentium 4", "CPU: Pentium 4 HT"}},
        {"[CPU]<CPU{2}>", {"Pentium 4 HT"}},
        {"[CPU]<CPU{3}>", {}},
        // The round after the last numbered value still has a value, so it gives a line of its own.
        {"[CPU]<CPU{1}> at [CPU]<Clock>", {"Pentium 4 at 3000", "Pentium 4 HT at 3000", " at 3000"}},
        {"[CPU]<CPU{1}>/[Disks]<Disk{1}>", {"Pentium 4/ST3160", "Pentium 4 HT/WD800", "/ST380"}},
        {"[Summary]<Empty>[Summary]<Missing>", {}},
        {"text without values", {}},
        {"<Computer Name> without a section", {}},
    };
    for (const auto& [text, lines] : cases) {
        EXPECT_EQ(Expand(text), lines) << text;
    }
}

TEST_F(ConversionTest, TargetsAndTheRunningNumber) {
    struct Case {
        const char* what;
        core::StringList rules;
        core::StringList image;
    };
    const Case cases[] = {
        {"several lines after a change of section are numbered from 0",
         {"[Info]Computer_Name=[Summary]<Computer Name>", "[Computer]CPU=[CPU]<CPU{1}>"},
         {"[Info]", "Computer_Name=BUH-12", "", "[Computer]", "CPU0=Pentium 4", "CPU1=Pentium 4 HT", ""}},
        {"the number runs on in the same section, whatever its letter case",
         {"[Computer]CPU=[CPU]<CPU{1}>", "[computer]Clock=[CPU]<Clock>"},
         {"[Computer]", "CPU0=Pentium 4", "CPU1=Pentium 4 HT", "Clock2=3000", ""}},
        {"a numbered target key sets the number",
         {"[Computer]Clock=[CPU]<Clock>", "<Computer>HDD_{1}=[Disks]<Disk{2}>", "[Computer]Disk_{7}x=[Disks]<Disk3>"},
         {"[Computer]", "Clock=3000", "HDD_1=WD800", "HDD_2=ST380", "Disk_x7=ST380", ""}},
        {"a rule that finds nothing starts the numbering",
         {"[Info]User=[Summary]<Missing>", "[Info]Computer_Name=[Summary]<Computer Name>"},
         {"[Info]", "Computer_Name0=BUH-12", ""}},
        {"a target without brackets keeps the section, first of all Error",
         {"Name=[Summary]<Computer Name>", "[Info]A=[CPU]<Clock>", "[A]x=[CPU]<CPU1>", "junk[Computer]B=[CPU]<CPU2>"},
         {"[Error]", "Name=BUH-12", "", "[Info]", "A=3000", "[A]x=Pentium 4", "", "[Computer]", "B=Pentium 4 HT", ""}},
        {"a rule without a template is skipped",
         {"[Info]A=", "Name=[Summary]<Computer Name>"},
         {"[Error]", "Name=BUH-12", ""}},
    };
    for (const Case& c : cases) {
        AidaConversion conversion;
        EXPECT_EQ(Convert(conversion, c.rules), c.image) << c.what;
    }
}

TEST_F(ConversionTest, StateCarriesOverToTheNextReport) {
    AidaConversion conversion;
    Convert(conversion, {"[Computer]CPU=[CPU]<CPU{1}>"});
    EXPECT_EQ(conversion.TargetSection(), "Computer");
    EXPECT_EQ(conversion.RunningNumber(), 2);
    EXPECT_EQ(Convert(conversion, {"[Computer]CPU=[CPU]<CPU{1}>"}),
              (core::StringList{"[Computer]", "CPU2=Pentium 4", "CPU3=Pentium 4 HT", ""}));
    EXPECT_EQ(Convert(conversion, {"Clock=[CPU]<Clock>"}), (core::StringList{"[Computer]", "Clock4=3000", ""}));
}

TEST(AidaConversionTest, ABigNumberedSectionConvertsFully) {
    constexpr int kDevices = 60000;
    core::TKelIniFile report("", false);
    for (int n = 1; n <= kDevices; ++n) {
        report.WriteString("Devices", "Device" + std::to_string(n), "PCI device " + std::to_string(n));
    }
    core::TKelIniFile target("", false);
    AidaConversion().ApplyRules({"[Windows_Devices]Device=[Devices]<Device{1}>"}, report, target);
    const core::StringList image = ImageOf(target);
    ASSERT_EQ(image.size(), kDevices + 2u);
    EXPECT_EQ(image.front(), "[Windows_Devices]");
    for (int n = 1; n <= kDevices; ++n) {
        ASSERT_EQ(image[n], "Device" + std::to_string(n - 1) + "=PCI device " + std::to_string(n));
    }
}

TEST(AidaConversionTest, NormaliseAddress) {
    const std::pair<const char*, const char*> cases[] = {
        {"[Info]\r\nMAC_Addr=00-50-ba-1c-2d-3e\r\n", "0050BA1C2D3E"},
        {"[Info]\r\nMAC_Addr=50ba1c2d3e\r\n", "0050BA1C2D3E"},
        {"[Info]\r\nMAC_Addr=0050BA1C2D3E\r\n", "0050BA1C2D3E"},
        {"[Info]\r\nName=x\r\n", "00000BAD_MAC"},
    };
    testing::TempDir dir;
    for (const auto& [bytes, address] : cases) {
        testing::WriteBytes(dir / "file.ini", bytes);
        core::TKelIniFile file(dir / "file.ini", true);
        NormaliseAddress(file);
        EXPECT_EQ(file.ReadString("Info", "MAC_Addr", ""), address) << bytes;
    }
}

} // namespace
} // namespace pelgo::archive
