#pragma once
// The settings dialog's behaviour without a toolkit: loads a module by its road, says what
// each control shows and whether the user may change it, takes the user's edits and picks,
// runs the work-mode rule, checks changed fields, collects the record and writes it.
// A front-end renders controlView() for each control, forwards typed characters, text
// changes and picks, and calls btn3Click on OK. Texts are UTF-8.

#include "DeviceText.h"
#include "MessagePresenter.h"
#include "SwTcpFunc.h"
#include "TcpSetForm.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

// The two operations the dialog needs from a module; the real roads unless a test gives
// its own.
struct ConfigAccess
{
    std::function<bool(const TModelParm&, TModelConfig&)> read;
    std::function<bool(const TModelParm&, const TModelConfig&)> write;
};

// ReadConfigByCommands/WriteConfigByCommands or ReadConfigByLibrary/WriteConfigByLibrary
// (with the write password), chosen by the entry's road.
ConfigAccess moduleAccess();

// access, with a Guard alive during each exchange: a front-end's wait cursor, shown
// while a read or write blocks the dialog, and only then.
template <typename Guard> ConfigAccess whileGuarded(ConfigAccess access)
{
    return {
        [read = std::move(access.read)](const TModelParm& entry, TModelConfig& config) {
            Guard guard;
            return read(entry, config);
        },
        [write = std::move(access.write)](const TModelParm& entry, const TModelConfig& config) {
            Guard guard;
            return write(entry, config);
        },
    };
}

// Whether text has the form: DottedIpv4 is four decimal parts 0 to 255 separated by full
// stops, Port a whole decimal number 0 to 65535 of digits only; Free takes anything.
bool hasForm(FieldForm form, std::string_view text);

// The three backgrounds of an edit field.
enum class FieldBackground : std::uint8_t
{
    Editable,  // white
    Menu,      // read-only while the module is a server: the system's menu colour
    ScrollBar, // read-only otherwise, and the MAC field always: the system's scroll-bar colour
};

// What one control shows.
struct ControlView
{
    std::string text;  // edits: the text (UTF-8)
    int position = -1; // lists: the selected item, -1 for nothing
    bool enabled = true;
    bool readOnly = false; // edits
    FieldBackground background = FieldBackground::Editable;
};

// A change of an edit's text, as the model judges it.
enum class EditVerdict : std::uint8_t
{
    Accept,
    Refuse,          // a typed character beyond the limit: refused quietly
    RefuseAndReport, // more characters at once (a paste): refused; call reportTooLong()
};

// What became of an OK.
enum class ConfirmOutcome : std::uint8_t
{
    Written,   // the module took the record; the entry's Ip is the address written; close
    Malformed, // a message named the field; show its page and focus it; stay open
    Failed,    // the write failed or raised an error, which was shown; stay open
};

struct ConfirmResult
{
    ConfirmOutcome outcome;
    ControlId field = ControlId::edt1; // Malformed: the field to focus

    // What the dialog does next: closes with OK after a write; brings a malformed field's
    // page to the front with the keyboard on the field; otherwise stays open with the user's
    // values, to retry or cancel.
    bool closesDialog() const { return outcome == ConfirmOutcome::Written; }
    std::optional<ControlId> fieldToShow() const
    {
        return outcome == ConfirmOutcome::Malformed ? std::optional(field) : std::nullopt;
    }
};

class TcpSetModel
{
public:
    // Messages go to presenter with owner (the dialog's window) as their parent; module
    // texts are converted by codec.
    TcpSetModel(MessagePresenter& presenter, WindowHandle owner, ConfigAccess access = moduleAccess(),
                TextCodec codec = platformTextCodec());

    // LoadConfig: reads the entry's module by its road. On success every control shows
    // the record and the target fields follow the work mode read; on failure nothing
    // changes, "读取TCP模块参数失败!" is shown with no owner and the result is false.
    // Errors the reader raises pass to the caller.
    bool LoadConfig(const TModelParm& entry);

    ConfigRoad road() const { return m_road; }
    ControlView controlView(ControlId id) const;

    // The user's edits. setText takes an edit's new text (a front-end forwards every
    // change it lets through); pick takes a list's selection and, for cbb2, runs the
    // work-mode rule (the front-end's cbb2Change). After a pick a front-end renders every
    // control again: the rule may change the target fields.
    void setText(ControlId id, std::string_view utf8Text);
    void pick(ControlId id, int position);

    // The character filters (edt4KeyPress, edt5KeyPress): whether a typed character may
    // reach the field. Passes the control characters of the editing keys (Backspace, the
    // Ctrl shortcuts for select all, copy, cut, paste, undo and redo) and the dialog keys
    // (Tab, Enter, Esc) and no other control character, in any field; a front-end
    // forwards each character its keys type, as one UTF-32 code point or UTF-16 unit.
    bool acceptsChar(ControlId id, char32_t c) const;

    // Whether an edit may change from oldText to newText: refused quietly when it inserts
    // a control character, and when the text would take more bytes on the wire (in the
    // encoding it goes out in) than the module's road reads back, unless it shrinks a text
    // that was read longer than that.
    EditVerdict judgeEdit(ControlId id, std::string_view oldText, std::string_view newText) const;
    // "<label>不能超过N字节!", and showing it for the field.
    std::string tooLongMessage(ControlId id) const;
    void reportTooLong(ControlId id);
    // The bytes the field's text may take on the wire: maxReadableValueBytes(road()).
    std::size_t maxTextBytes() const;

    // The first changed field, in control order, that is malformed, holds characters its
    // encoding lacks or is too long, with the message that names it; nothing when all may
    // be written.
    struct Problem
    {
        ControlId field;
        std::string message;
    };
    std::optional<Problem> firstProblem() const;

    // The record to write: the record as read, with the fields the user changed taken
    // from the controls (untouched texts and codes no list item names go back as read).
    TModelConfig collectConfig() const;

    // SaveConfig: writes collectConfig() by the entry's road; the writer's result.
    bool SaveConfig(const TModelParm& entry);

    // OK (btn3Click): checks the changed fields (a problem is shown, nothing is sent),
    // writes, reports a failed write ("设置TCP模块参数失败!") or a raised error, and
    // after a successful write stores the IP address written in entry.Ip.
    ConfirmResult btn3Click(TModelParm& entry);

    // The work-mode rule, for the position cbb2 reports (255 for nothing selected):
    // the target IP and port are editable for "自动" and "客户端"; a field that turns
    // read-only gives up a malformed change for the text read.
    void SetTargetFieldsEditable(std::uint8_t position);

private:
    struct EditState
    {
        DisplayText loaded; // as read, with its encoding
        std::string text;   // as the user left it
    };

    bool changed(ControlId id) const;
    bool wellFormed(ControlId id) const;
    std::size_t wireBytes(ControlId id, std::string_view utf8Text) const;

    MessagePresenter& m_presenter;
    WindowHandle m_owner;
    ConfigAccess m_access;
    TextCodec m_codec;
    ConfigRoad m_road = ConfigRoad::Commands;
    TModelConfig m_loaded;
    std::array<EditState, kControlCount> m_edits{};
    std::array<int, kControlCount> m_positions{};
    std::array<bool, kControlCount> m_readOnly{};
    std::array<FieldBackground, kControlCount> m_background{};
};
