#include "TcpSet.h"

#include "DialogOpening.h"
#include "QtText.h"
#include "TcpSetInput.h"

#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

namespace {

TTcpSetFrm* s_instance = nullptr; // the one existing dialog

} // namespace

TTcpSetFrm* TTcpSetFrm::instance()
{
    return s_instance;
}

TTcpSetFrm::~TTcpSetFrm()
{
    FormDestroy();
}

void TTcpSetFrm::FormCreate()
{
    pgc1->setCurrentWidget(ts1);
}

void TTcpSetFrm::FormClose()
{
    // Deferred, so that EditDevice can still take the result.
    deleteLater();
}

void TTcpSetFrm::FormDestroy()
{
    if (s_instance == this)
        s_instance = nullptr;
}

bool TTcpSetFrm::EditDevice(TModelParm& entry, MessagePresenter& presenter, ConfigAccess access)
{
    DialogOpening opening;
    if (!opening.begin())
        return false;
    // A closed dialog may still wait for its deferred destruction; it is not reused.
    delete s_instance;

    auto* dialog = new TTcpSetFrm(presenter, std::move(access));
    s_instance = dialog;
    dialog->EditedEntry = &entry;
    // Taken as the dialog finishes: its deferred destruction may run before exec() returns.
    int result = QDialog::Rejected;
    connect(dialog, &QDialog::finished, dialog, [&result](int finishedWith) { result = finishedWith; });
    if (opening.load([&] { return dialog->LoadConfig(entry); }))
        dialog->exec();
    else
        dialog->reject();
    return opening.end(result == QDialog::Accepted);
}

bool TTcpSetFrm::LoadConfig(const TModelParm& entry)
{
    if (!m_model.LoadConfig(entry))
        return false;
    render();
    return true;
}

QLineEdit* TTcpSetFrm::edit(ControlId id) const
{
    return static_cast<QLineEdit*>(m_controls[controlIndex(id)]);
}

QComboBox* TTcpSetFrm::list(ControlId id) const
{
    return static_cast<QComboBox*>(m_controls[controlIndex(id)]);
}

void TTcpSetFrm::render()
{
    for (const ControlSpec& spec : controlTable()) {
        const ControlView view = m_model.controlView(spec.id);
        m_controls[controlIndex(spec.id)]->setEnabled(view.enabled);
        if (spec.kind == ControlKind::List) {
            list(spec.id)->setCurrentIndex(view.position);
            continue;
        }
        QLineEdit* field = edit(spec.id);
        const QString text = toQt(view.text);
        if (field->text() != text)
            field->setText(text);
        field->setReadOnly(view.readOnly);
        // A disabled field keeps the style's own disabled look.
        QPalette palette = field->palette();
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
            palette.setColor(group, QPalette::Base, backgroundColour(view.background));
        field->setPalette(palette);
    }
}

void TTcpSetFrm::btn3Click()
{
    if (EditedEntry == nullptr)
        return;
    const ConfirmResult result = m_model.btn3Click(*EditedEntry);
    if (result.closesDialog()) {
        accept();
    } else if (const std::optional<ControlId> field = result.fieldToShow()) {
        pgc1->setCurrentWidget(controlSpec(*field).page == DialogPage::Network ? ts1 : ts2);
        m_controls[controlIndex(*field)]->setFocus();
    }
}

void TTcpSetFrm::cbb2Change(int position)
{
    m_model.pick(ControlId::cbb2, position);
    render();
}

bool TTcpSetFrm::edt4KeyPress(const QKeyEvent& event, ControlId id) const
{
    return passesCharFilter(event, [this, id](char32_t c) { return m_model.acceptsChar(id, c); });
}

bool TTcpSetFrm::edt5KeyPress(const QKeyEvent& event) const
{
    return passesCharFilter(event, [this](char32_t c) { return m_model.acceptsChar(ControlId::edt5, c); });
}

bool TTcpSetFrm::eventFilter(QObject* watched, QEvent* event)
{
    for (const ControlSpec& spec : controlTable()) {
        if (spec.kind != ControlKind::Edit || spec.accepts == TypedChars::Any || watched != edit(spec.id))
            continue;
        const auto accepts = [this, id = spec.id](char32_t c) { return m_model.acceptsChar(id, c); };
        if (event->type() == QEvent::KeyPress)
            return spec.id == ControlId::edt5 ? !edt5KeyPress(static_cast<const QKeyEvent&>(*event))
                                              : !edt4KeyPress(static_cast<const QKeyEvent&>(*event), spec.id);
        if (event->type() == QEvent::InputMethod)
            return !passesCharFilter(static_cast<const QInputMethodEvent&>(*event), accepts);
    }
    return QDialog::eventFilter(watched, event);
}
