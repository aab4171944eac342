// The main window's behaviour and the dialog's opening rules, without a toolkit or a
// network: a fake search hands the model its modules, a fake view records what it is told.
#include "DialogOpening.h"
#include "NumText.h"
#include "TcpIpModel.h"
#include "net.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

using testing::ElementsAre;

struct RecordingPresenter : MessagePresenter
{
    void showError(WindowHandle owner, const std::string& text) override
    {
        errors.push_back(text);
        owners.push_back(owner);
    }
    void showHint(WindowHandle, const std::string& text) override { hints.push_back(text); }
    std::vector<std::string> errors;
    std::vector<std::string> hints;
    std::vector<WindowHandle> owners;
};

int g_window = 0; // its address stands for the main window
int g_button = 0; // and this one for the button with the keyboard

// Logs every call as a line, and holds the rows as shown.
struct FakeView
{
    TcpIpView view()
    {
        TcpIpView v;
        v.showRows = [this](const std::vector<RowView>& rows) {
            shown = rows;
            log.push_back("rows " + std::to_string(rows.size()) + (enabled ? "" : " disabled") +
                          (busy ? " busy" : ""));
        };
        v.showRow = [this](std::size_t index, const RowView& row) {
            shown.at(index) = row;
            log.push_back("row " + std::to_string(index));
        };
        v.enableSearchButtons = [this](bool on) {
            enabled = on;
            log.push_back(on ? "enable" : "disable");
        };
        v.focusedRow = [this] { return focused; };
        v.focusedControl = [] { return WindowHandle{&g_button}; };
        v.restoreFocus = [this](WindowHandle control) {
            log.push_back(control == &g_button ? "focus back" : "focus elsewhere");
        };
        v.setBusy = [this](bool on) {
            busy = on;
            log.push_back(on ? "busy" : "idle");
        };
        v.closeWindow = [this] { log.push_back("close"); };
        v.ownerWindow = [] { return WindowHandle{&g_window}; };
        return v;
    }

    std::vector<RowView> shown;
    std::vector<std::string> log;
    std::optional<std::size_t> focused;
    bool enabled = true;
    bool busy = false;
};

TModelParm commandRow(const std::string& ip, const std::string& mac)
{
    return {mac, ip, 65535, 1, 0};
}

TModelParm libraryRow(const std::string& ip, const std::string& mac, std::uint8_t tag)
{
    return {mac, ip, 5001, 0, tag};
}

class TcpIpModelTest : public testing::Test
{
protected:
    // The search finds m_found, then raises m_error when there is one.
    TcpIpModel::Searcher searcher()
    {
        return [this](const RowSink& sink) {
            ++m_searches;
            for (const TModelParm& entry : m_found)
                sink(entry);
            if (!m_error.empty())
                throw SocketError(m_error);
        };
    }

    std::vector<TModelParm> m_found{commandRow("10.77.0.11", "00-1A-2B-00-00-11"),
                                    commandRow("10.77.0.12", "00-1A-2B-00-00-12"),
                                    libraryRow("10.77.0.31", "00-4D-58-00-00-31", 3)};
    std::string m_error;
    int m_searches = 0;
    std::vector<TModelParm*> m_edited;
    FakeView m_view;
    RecordingPresenter m_presenter;
    TcpIpModel m_model{m_view.view(), m_presenter,
                       [this](TModelParm& entry) {
                           m_edited.push_back(&entry);
                           return true;
                       },
                       searcher()};
};

TEST_F(TcpIpModelTest, SearchShowsEveryRowInOneGoInTheOrderFound)
{
    m_model.FormCreate();
    ASSERT_EQ(m_model.rowCount(), 3u);
    EXPECT_EQ(m_model.entry(2).LibraryTag, 3);
    ASSERT_EQ(m_view.shown.size(), 3u);
    EXPECT_EQ(m_view.shown[0].ip, "10.77.0.11");
    EXPECT_EQ(m_view.shown[0].mac, "00-1A-2B-00-00-11");
    EXPECT_EQ(m_view.shown[2].ip, "10.77.0.31");
    EXPECT_THAT(m_view.log, ElementsAre("rows 0", "busy", "rows 3 busy", "idle"));
    EXPECT_TRUE(m_presenter.errors.empty());
}

TEST_F(TcpIpModelTest, SearchButtonDisablesBothButtonsMeanwhileAndGivesTheKeyboardBack)
{
    m_model.FormCreate();
    m_found.pop_back();
    m_view.log.clear();
    m_model.btn1Click();
    EXPECT_EQ(m_model.rowCount(), 2u); // the list is replaced, not added to
    EXPECT_THAT(m_view.log, ElementsAre("disable", "rows 0 disabled", "busy", "rows 2 disabled busy", "idle",
                                        "enable", "focus back"));
}

TEST_F(TcpIpModelTest, SearchErrorIsShownWithTheRowsFoundBeforeAndTheButtonsEnabledAgain)
{
    m_error = "Socket Error # 10051\r\nNetwork is unreachable.";
    m_model.FormCreate();
    m_model.btn1Click();
    EXPECT_EQ(m_searches, 2);
    EXPECT_THAT(m_presenter.errors, ElementsAre(m_error, m_error));
    EXPECT_THAT(m_presenter.owners, ElementsAre(&g_window, &g_window));
    EXPECT_EQ(m_view.shown.size(), 3u);
    EXPECT_TRUE(m_view.enabled);
    EXPECT_FALSE(m_view.busy);
    EXPECT_EQ(m_view.log.back(), "focus back");
}

TEST_F(TcpIpModelTest, SettingsOpenTheFocusedRowAndItsCaptionShowsTheAddressAfterwards)
{
    m_model.FormCreate();
    m_model.btn2Click(); // no row holds the focus
    EXPECT_TRUE(m_edited.empty());

    m_model.setDeviceEditor([this](TModelParm& entry) {
        m_edited.push_back(&entry);
        entry.Ip = "10.77.0.99";
        entry.Mac = "changed by the dialog";
        return true;
    });
    m_view.focused = 1;
    m_model.btn2Click();
    EXPECT_THAT(m_edited, ElementsAre(&m_model.entry(1))); // the row's own entry, edited in place
    EXPECT_EQ(m_model.entry(1).Ip, "10.77.0.99");
    EXPECT_EQ(m_view.shown[1].ip, "10.77.0.99");
    EXPECT_EQ(m_view.shown[1].mac, "00-1A-2B-00-00-12"); // as the search found it
    EXPECT_EQ(m_view.shown[0].ip, "10.77.0.11");
}

TEST_F(TcpIpModelTest, RowsThatShareAnAddressAreMarkedUntilAWriteGivesOneItsOwn)
{
    m_found = {commandRow("10.77.0.50", "00-1A-2B-00-00-AA"), commandRow("10.77.0.50", "00-1A-2B-00-00-BB"),
               commandRow("10.77.0.11", "00-1A-2B-00-00-11"),
               libraryRow("10.77.0.50", "00-4D-58-00-00-31", 1)};
    m_model.FormCreate();
    const auto marks = [this] {
        std::vector<bool> marked;
        for (const RowView& row : m_view.shown)
            marked.push_back(row.sharedIp);
        return marked;
    };
    EXPECT_THAT(marks(), ElementsAre(true, true, false, false));
    EXPECT_TRUE(m_model.entry(1).SharedIp); // the road reaches it by its MAC

    m_model.setDeviceEditor([](TModelParm& entry) {
        entry.Ip = "10.77.0.62";
        return true;
    });
    m_view.focused = 1;
    m_view.log.clear();
    m_model.btn2Click();
    EXPECT_THAT(marks(), ElementsAre(false, false, false, false));
    EXPECT_FALSE(m_model.entry(0).SharedIp);
    EXPECT_THAT(m_view.log, ElementsAre("row 0", "row 1")); // the row it left and the edited one, once each
}

TEST_F(TcpIpModelTest, ErrorRaisedByTheDialogIsShownAndTheRowStaysAsItWas)
{
    m_model.FormCreate();
    m_model.setDeviceEditor([](TModelParm& entry) -> bool {
        entry.Ip = "10.77.0.98";
        throw SocketError("Socket Error # 10065\r\nNo route to host.");
    });
    m_view.focused = 0;
    m_view.log.clear();
    m_model.btn2Click();
    EXPECT_THAT(m_presenter.errors, ElementsAre("Socket Error # 10065\r\nNo route to host."));
    EXPECT_EQ(m_view.shown[0].ip, "10.77.0.11");
    EXPECT_TRUE(m_view.log.empty());
}

TEST_F(TcpIpModelTest, ExitClosesTheWindow)
{
    m_model.btn3Click();
    EXPECT_THAT(m_view.log, ElementsAre("close"));
}

// ---- Opening the dialog -------------------------------------------------------------

struct OpeningCase
{
    const char* name;
    std::function<bool()> read;
    bool closedWithOk;
    bool shown;
    bool result;

    friend void PrintTo(const OpeningCase& c, std::ostream* out) { *out << c.name; }
};

class DialogOpeningTest : public testing::TestWithParam<OpeningCase>
{
};

TEST_P(DialogOpeningTest, ShowsOnlyAfterARead)
{
    const OpeningCase& c = GetParam();
    DialogOpening opening;
    ASSERT_TRUE(opening.begin());
    EXPECT_TRUE(DialogOpening::anyOpen());
    EXPECT_EQ(opening.load(c.read), c.shown);
    EXPECT_EQ(opening.end(c.closedWithOk), c.result);
    EXPECT_FALSE(DialogOpening::anyOpen());
}

INSTANTIATE_TEST_SUITE_P(Reads, DialogOpeningTest,
                         testing::Values(OpeningCase{"WrittenThenOk", [] { return true; }, true, true, true},
                                         OpeningCase{"Cancelled", [] { return true; }, false, true, false},
                                         // A dialog closed unseen reports no OK, whatever it ended with.
                                         OpeningCase{"ReadFailed", [] { return false; }, true, false, false}),
                         [](const testing::TestParamInfo<OpeningCase>& param) {
                             return std::string(param.param.name);
                         });

TEST(DialogOpening, OneDialogAtATime)
{
    DialogOpening first;
    ASSERT_TRUE(first.begin());
    DialogOpening second;
    EXPECT_FALSE(second.begin());
    EXPECT_FALSE(second.end(true));
    EXPECT_TRUE(DialogOpening::anyOpen()); // the second did not release the first's claim
    first.end(false);
    EXPECT_TRUE(second.begin());
}

TEST(DialogOpening, ErrorOfTheReadClosesTheDialogUnseenAndPassesOn)
{
    DialogOpening opening;
    ASSERT_TRUE(opening.begin());
    EXPECT_FALSE(opening.load([]() -> bool { throw ConvertError("'' is not a valid integer value"); }));
    EXPECT_THROW(opening.end(false), ConvertError);
    EXPECT_FALSE(DialogOpening::anyOpen());
}

} // namespace
