#include "MessagePresenter.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

TEST(ErrorDisplayText, FullStopOnlyAfterCharactersAboveIt)
{
    const std::pair<const char*, const char*> cases[] = {
        {"'abc' is not a valid integer value", "'abc' is not a valid integer value."},
        {"Socket Error # 10051\r\nNetwork is unreachable.",
         "Socket Error # 10051\r\nNetwork is unreachable."},
        {"Socket Error # 10066\r\nDirectory not empty", "Socket Error # 10066\r\nDirectory not empty."},
        {"Socket Error # 10035\r\nOperation would block. ",
         "Socket Error # 10035\r\nOperation would block. "},
        {"Socket Error # 10001\r\n", "Socket Error # 10001\r\n"},
        {"ends with a comma,", "ends with a comma,"},
        {"ends with a slash/", "ends with a slash/."},
        {"读取失败", "读取失败."},
        {"", ""},
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(errorDisplayText(text), shown) << text;
}

struct LastMessage : MessagePresenter
{
    void showError(WindowHandle owner, const std::string& text) override
    {
        error = text;
        errorOwner = owner;
    }
    void showHint(WindowHandle, const std::string&) override {}
    std::string error;
    WindowHandle errorOwner = nullptr;
};

TEST(RunGuarded, ShowsAnEscapedErrorAndGoesOn)
{
    LastMessage presenter;
    int window = 0;
    EXPECT_TRUE(runGuarded(presenter, &window, [] {}));
    EXPECT_EQ(presenter.error, "");
    // Module bytes in GBK are shown as the text they are.
    EXPECT_FALSE(runGuarded(presenter, &window, [] { throw std::runtime_error("'\xD5\xC5' is bad"); }));
    EXPECT_EQ(presenter.error, "'张' is bad.");
    EXPECT_EQ(presenter.errorOwner, &window);
    EXPECT_FALSE(runGuarded(presenter, nullptr, [] { throw 42; }));
    EXPECT_EQ(presenter.error, "Unknown error.");
}

} // namespace
