#include "TcpSet.h"

#include "QtText.h"
#include "TcpSetInput.h"

#include <QComboBox>
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
    if (s_instance != nullptr && s_instance->isVisible())
        return false; // one dialog at a time
    // A closed dialog may still wait for its deferred destruction; it is not reused.
    delete s_instance;

    auto* dialog = new TTcpSetFrm(presenter, std::move(access));
    s_instance = dialog;
    dialog->EditedEntry = &entry;
    bool loaded = false;
    try {
        loaded = dialog->LoadConfig(entry);
    } catch (...) {
        dialog->reject();
        throw;
    }
    if (!loaded) {
        dialog->reject();
        return false;
    }
    // Taken as the dialog finishes: its deferred destruction may run before exec() returns.
    int result = QDialog::Rejected;
    connect(dialog, &QDialog::finished, dialog, [&result](int finishedWith) { result = finishedWith; });
    dialog->exec();
    return result == QDialog::Accepted;
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
    switch (result.outcome) {
    case ConfirmOutcome::Written:
        accept();
        return;
    case ConfirmOutcome::Malformed:
        pgc1->setCurrentWidget(controlSpec(result.field).page == DialogPage::Network ? ts1 : ts2);
        m_controls[controlIndex(result.field)]->setFocus();
        return;
    case ConfirmOutcome::Failed:
        // The dialog stays open with the user's values, to retry or cancel.
        return;
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
    if (event->type() == QEvent::KeyPress) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (watched == edt5)
            return !edt5KeyPress(key);
        for (ControlId id :
             {ControlId::edt4, ControlId::edt6, ControlId::edt7, ControlId::edt8, ControlId::edt9}) {
            if (watched == edit(id))
                return !edt4KeyPress(key, id);
        }
    }
    return QDialog::eventFilter(watched, event);
}
