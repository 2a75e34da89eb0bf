#include <gtest/gtest.h>

#include "app/FormCatalog.h"
#include "app/Version.h"
#include "app/frmAbout.h"
#include "res/resource.h"
#include "tests/native/app/AppFakes.h"

namespace {

using app::frmAbout;
using app_test::AppServices;

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = text.find(L"\r\n", from);
        lines.push_back(
            text.substr(from, at == std::wstring::npos ? std::wstring::npos : at - from));
        if (at == std::wstring::npos) return lines;
        from = at + 2;
    }
}

struct AboutBox : ::testing::Test {
    AppServices env;
    std::shared_ptr<frmAbout> form = ui::NewForm<frmAbout>(env.services);
};

TEST_F(AboutBox, LoadFillsCaptionTitleAndVersionFromTheBuild) {
    EXPECT_TRUE(form->lblVersion->Caption().empty());  // filled on load, not before
    form->Show();
    EXPECT_EQ(form->Caption(), L"About Quillon");
    EXPECT_EQ(form->lblTitle->Caption(), L"Quillon");
    EXPECT_EQ(form->lblVersion->Caption(), L"Version " + std::to_wstring(QUILLON_VERSION_MAJOR) +
                                               L"." + std::to_wstring(QUILLON_VERSION_MINOR) +
                                               L"." + std::to_wstring(QUILLON_VERSION_PATCH));
    EXPECT_EQ(form->lblVersion->Caption(), L"Version " QUILLON_VERSION_TEXT);
    EXPECT_EQ(app::VersionText(), L"Version 1.0.0");
}

TEST_F(AboutBox, DescriptionHasFourLinesStartingWithTitleAndAuthor) {
    form->Show();
    const auto lines = Lines(form->lblDescription->Caption());
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], L"Quillon by Varnholt");
    EXPECT_FALSE(lines[1].empty());
    EXPECT_TRUE(lines[2].empty());
    // No web site exists; the line points at what ships with the program.
    EXPECT_NE(lines[3].find(L"README"), std::wstring::npos);
    EXPECT_EQ(lines[3].find(L"http"), std::wstring::npos);
    // Lines are separated by CR LF pairs only.
    EXPECT_EQ(form->lblDescription->Caption().find(L"\n\n"), std::wstring::npos);
}

TEST_F(AboutBox, DisclaimerStatesTermsAndWarning) {
    form->Show();
    const auto lines = Lines(form->lblDisclaimer->Caption());
    ASSERT_GE(lines.size(), 2u);
    EXPECT_NE(lines[0].find(L"MIT License"), std::wstring::npos);
    EXPECT_NE(lines[0].find(L"without warranty"), std::wstring::npos);
    EXPECT_EQ(lines.back().rfind(L"Warning:", 0), 0u);
}

TEST_F(AboutBox, ControlsAndOkButtonClosesWithEnterOrEscape) {
    EXPECT_EQ(form->picIcon->pictureId, IDI_APP);
    EXPECT_EQ(form->Line1[0]->Name(), L"Line1");
    EXPECT_EQ(form->Line1[0]->Index(), 0);
    EXPECT_EQ(form->Line1[1]->Index(), 1);
    EXPECT_EQ(form->cmdOK->Caption(), L"OK");
    EXPECT_EQ(form->DefaultButton(), form->cmdOK);
    EXPECT_EQ(form->CancelButton(), form->cmdOK);
    form->Show();
    form->cmdOK->UserClick();
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_TRUE(env.shell.messages.empty());
}

TEST_F(AboutBox, LabelsStayInsideTheWindow) {
    for (const auto& c : form->Controls()) {
        EXPECT_GE(c->bounds.left, 0);
        EXPECT_LE(c->bounds.left + c->bounds.width, form->clientWidth)
            << std::string(c->Name().begin(), c->Name().end());
        EXPECT_LE(c->bounds.top + c->bounds.height, form->clientHeight)
            << std::string(c->Name().begin(), c->Name().end());
    }
}

}  // namespace
