#include "TcpSetModel.h"

#include "DialogTexts.h"
#include "NumText.h"
#include "TextChange.h"
#include "net.h"

#include <algorithm>

namespace {

using enum ControlId;

// The field's member when it holds a T, else nullptr.
template <typename T> T* fieldAs(TModelConfig& config, ConfigField field)
{
    const ConfigMember member = memberOf(field);
    T TModelConfig::*const* held = std::get_if<T TModelConfig::*>(&member);
    return held != nullptr ? &(config.**held) : nullptr;
}

std::string* textField(TModelConfig& config, ConfigField field)
{
    return fieldAs<std::string>(config, field);
}

std::int32_t* numberField(TModelConfig& config, ConfigField field)
{
    return fieldAs<std::int32_t>(config, field);
}

std::uint8_t* codeField(TModelConfig& config, ConfigField field)
{
    return fieldAs<std::uint8_t>(config, field);
}

std::int32_t fieldCode(TModelConfig& config, ConfigField field)
{
    if (std::int32_t* number = numberField(config, field))
        return *number;
    return *codeField(config, field);
}

std::uint8_t lowByte(int position)
{
    return static_cast<std::uint8_t>(position & 0xFF);
}

bool isPortText(std::string_view text)
{
    if (text.empty() || text.size() > 5)
        return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return value <= 65535;
}

// Backspace, Tab, Enter, Esc, and what Ctrl+A, C, V, X, Y and Z (Ctrl+Shift+Z too) type.
bool isEditingControl(char32_t c)
{
    switch (c) {
    case 0x01:
    case 0x03:
    case 0x08:
    case 0x09:
    case 0x0A:
    case 0x0D:
    case 0x16:
    case 0x18:
    case 0x19:
    case 0x1A:
    case 0x1B:
        return true;
    default:
        return false;
    }
}

std::size_t codePoints(std::string_view utf8)
{
    std::size_t count = 0;
    for (char c : utf8)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

// A module's name never holds one; Ctrl+Backspace types 0x7F into a classic edit control.
bool isControlChar(char32_t c)
{
    return c < 0x20 || c == 0x7F;
}

} // namespace

bool hasForm(FieldForm form, std::string_view text)
{
    switch (form) {
    case FieldForm::Free:
        return true;
    case FieldForm::DottedIpv4:
        // The same form the socket layer takes as an address without a look-up.
        return isDottedQuad(text);
    case FieldForm::Port:
        return isPortText(text);
    }
    return false;
}

TcpSetModel::TcpSetModel(MessagePresenter& presenter, WindowHandle owner, ConfigAccess access,
                         TextCodec codec)
    : m_presenter(presenter), m_owner(owner), m_access(std::move(access)), m_codec(std::move(codec))
{
    // The form as created; LoadConfig sets all of it before the dialog is first shown.
    m_positions.fill(-1);
    m_positions[controlIndex(cbIPMode)] = 0;
    m_positions[controlIndex(cbb1)] = 1;
    m_positions[controlIndex(cbb4)] = 3;
    m_positions[controlIndex(cbb5)] = 1;
    m_positions[controlIndex(StopCbb)] = 1;
    m_background.fill(FieldBackground::Editable);
    for (ControlId id : {edt3, edt6, edt7, edt8, edt9}) {
        m_readOnly[controlIndex(id)] = true;
        m_background[controlIndex(id)] = id == edt6 ? FieldBackground::Menu : FieldBackground::ScrollBar;
    }
}

bool TcpSetModel::LoadConfig(const TModelParm& entry)
{
    TModelConfig config;
    if (!m_access.read(entry, config)) {
        m_presenter.showHint(nullptr, std::string(texts::kReadFailed));
        return false;
    }
    m_road = roadOf(entry);
    m_loaded = config;
    for (const ControlSpec& spec : controlTable()) {
        const std::size_t i = controlIndex(spec.id);
        if (spec.kind == ControlKind::Edit) {
            const std::string* text = textField(config, spec.field);
            m_edits[i].loaded =
                m_codec.fromDevice(text != nullptr ? *text : decimalText(*numberField(config, spec.field)));
            m_edits[i].text = m_edits[i].loaded.text;
            continue;
        }
        // A code is a list position; one no item has leaves nothing selected, and so does
        // a field the road does not read.
        const std::int32_t code = fieldCode(config, spec.field);
        const bool named = code >= 0 && static_cast<std::size_t>(code) < spec.items.size();
        m_positions[i] = named && roadCarries(m_road, spec.field) ? code : -1;
    }
    SetTargetFieldsEditable(lowByte(m_positions[controlIndex(cbb2)]));
    return true;
}

ControlView TcpSetModel::controlView(ControlId id) const
{
    const std::size_t i = controlIndex(id);
    const ControlSpec& spec = controlSpec(id);
    ControlView view;
    view.enabled = roadCarries(m_road, spec.field);
    if (spec.kind == ControlKind::Edit) {
        view.text = m_edits[i].text;
        view.readOnly = m_readOnly[i];
        view.background = m_background[i];
    } else {
        view.position = m_positions[i];
    }
    return view;
}

void TcpSetModel::setText(ControlId id, std::string_view utf8Text)
{
    m_edits[controlIndex(id)].text = std::string(utf8Text);
}

void TcpSetModel::pick(ControlId id, int position)
{
    m_positions[controlIndex(id)] = position;
    if (id == cbb2)
        SetTargetFieldsEditable(lowByte(position));
}

bool TcpSetModel::acceptsChar(ControlId id, char32_t c) const
{
    if (isEditingControl(c))
        return true;
    const bool digit = c >= U'0' && c <= U'9';
    switch (controlSpec(id).accepts) {
    case TypedChars::Any:
        return !isControlChar(c);
    case TypedChars::Digits:
        return digit;
    case TypedChars::DigitsAndFullStop:
        return digit || c == U'.';
    }
    return false;
}

std::size_t TcpSetModel::maxTextBytes() const
{
    return maxReadableValueBytes(m_road);
}

std::size_t TcpSetModel::wireBytes(ControlId id, std::string_view utf8Text) const
{
    return m_codec.toDevice(utf8Text, m_edits[controlIndex(id)].loaded.readAs).size();
}

EditVerdict TcpSetModel::judgeEdit(ControlId id, std::string_view oldText, std::string_view newText) const
{
    const TextChange change = changeBetween(oldText, newText);
    const std::string_view inserted = newText.substr(change.at, change.inserted);
    if (std::any_of(inserted.begin(), inserted.end(),
                    [](char c) { return isControlChar(static_cast<unsigned char>(c)); }))
        return EditVerdict::Refuse;
    const std::size_t bytes = wireBytes(id, newText);
    // A text read longer than the road allows may still be shortened.
    if (bytes <= maxTextBytes() || bytes <= wireBytes(id, oldText))
        return EditVerdict::Accept;
    return codePoints(inserted) > 1 ? EditVerdict::RefuseAndReport : EditVerdict::Refuse;
}

std::string TcpSetModel::tooLongMessage(ControlId id) const
{
    return std::string(controlSpec(id).label) + std::string(texts::kTooLongPrefix) +
           std::to_string(maxTextBytes()) + std::string(texts::kTooLongSuffix);
}

void TcpSetModel::reportTooLong(ControlId id)
{
    m_presenter.showHint(m_owner, tooLongMessage(id));
}

bool TcpSetModel::changed(ControlId id) const
{
    const EditState& edit = m_edits[controlIndex(id)];
    return edit.text != edit.loaded.text;
}

bool TcpSetModel::wellFormed(ControlId id) const
{
    return hasForm(controlSpec(id).form, m_edits[controlIndex(id)].text);
}

std::optional<TcpSetModel::Problem> TcpSetModel::firstProblem() const
{
    for (const ControlSpec& spec : controlTable()) {
        if (spec.kind != ControlKind::Edit || !changed(spec.id))
            continue;
        if (!wellFormed(spec.id))
            return Problem{spec.id, std::string(spec.label) + std::string(texts::kMalformedSuffix)};
        // Sent anyway, such characters would reach the module as "?".
        const EditState& edit = m_edits[controlIndex(spec.id)];
        if (!m_codec.canEncode(edit.text, edit.loaded.readAs))
            return Problem{spec.id, std::string(spec.label) + std::string(texts::kUnencodableSuffix)};
        if (wireBytes(spec.id, m_edits[controlIndex(spec.id)].text) > maxTextBytes())
            return Problem{spec.id, tooLongMessage(spec.id)};
    }
    return std::nullopt;
}

TModelConfig TcpSetModel::collectConfig() const
{
    // The record as read, so that untouched fields (and whatever the roads keep of them)
    // go back exactly.
    TModelConfig config = m_loaded;
    for (const ControlSpec& spec : controlTable()) {
        const std::size_t i = controlIndex(spec.id);
        if (spec.kind == ControlKind::Edit) {
            if (!changed(spec.id))
                continue;
            if (std::string* text = textField(config, spec.field))
                *text = m_codec.toDevice(m_edits[i].text, m_edits[i].loaded.readAs);
            else
                *numberField(config, spec.field) = lenientToInt(m_edits[i].text);
            continue;
        }
        // Nothing selected: the user picked nothing, the module's own code goes back.
        const int position = m_positions[i];
        if (position < 0)
            continue;
        if (std::int32_t* number = numberField(config, spec.field))
            *number = position;
        else
            *codeField(config, spec.field) = lowByte(position);
    }
    return config;
}

bool TcpSetModel::SaveConfig(const TModelParm& entry)
{
    return m_access.write(entry, collectConfig());
}

ConfirmResult TcpSetModel::btn3Click(TModelParm& entry)
{
    if (const std::optional<Problem> problem = firstProblem()) {
        m_presenter.showHint(m_owner, problem->message);
        return {ConfirmOutcome::Malformed, problem->field};
    }
    bool written = false;
    if (!runGuarded(m_presenter, m_owner, [this, &entry, &written] { written = SaveConfig(entry); }))
        return {ConfirmOutcome::Failed};
    if (!written) {
        m_presenter.showHint(m_owner, std::string(texts::kWriteFailed));
        return {ConfirmOutcome::Failed};
    }
    entry.Ip = collectConfig().IpAddress;
    return {ConfirmOutcome::Written};
}

void TcpSetModel::SetTargetFieldsEditable(std::uint8_t position)
{
    // A client needs its target as much as the automatic mode; a server has none. Gateway
    // and mask are the module's own: every mode may change them.
    const bool targetEditable = position == 1 || position == 2;
    const FieldBackground readOnlyBackground =
        position == 0 ? FieldBackground::Menu : FieldBackground::ScrollBar;
    for (ControlId id : {edt6, edt7}) {
        const std::size_t i = controlIndex(id);
        // A malformed change the user can no longer edit would trap the dialog at OK.
        if (!targetEditable && !m_readOnly[i] && changed(id) && !wellFormed(id))
            m_edits[i].text = m_edits[i].loaded.text;
        m_readOnly[i] = !targetEditable;
        m_background[i] = targetEditable ? FieldBackground::Editable : readOnlyBackground;
    }
    for (ControlId id : {edt8, edt9}) {
        m_readOnly[controlIndex(id)] = false;
        m_background[controlIndex(id)] = FieldBackground::Editable;
    }
}
