// The program: one window, one search before it is first shown, then the message loop.
#include "MessageBoxPresenter.h"
#include "mainSrc.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <QTreeWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

double milliseconds(Clock::duration span)
{
    return std::chrono::duration<double, std::milli>(span).count();
}

long long nanoseconds(Clock::time_point at)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
}

// The benchmark's hook (scripts/bench), only with TCPMOD_BENCH_REPORT set in the
// environment: once the window has painted for the first time, one line on stderr (the
// steady clock at that moment, how long creating the window took with its search, how long
// a search by "搜索设备" takes then, the rows listed), and the program ends.
class FirstPaintReport : public QObject
{
public:
    FirstPaintReport(TTcpIpFrm& form, Clock::duration creation) : m_form(form), m_creation(creation)
    {
        form.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &m_form && event->type() == QEvent::Paint && !m_reported) {
            m_reported = true;
            // Reported once this paint and its flush to the screen are done.
            QTimer::singleShot(0, this, [this] { report(); });
        }
        return false;
    }

private:
    void report()
    {
        const Clock::time_point shown = Clock::now();
        const int rowsShown = m_form.lv1->topLevelItemCount();
        m_form.btn1Click();
        const Clock::duration search = Clock::now() - shown;
        std::fprintf(stderr, "shown %lld creation_ms %.3f search_ms %.3f rows %d rows_again %d\n",
                     nanoseconds(shown), milliseconds(m_creation), milliseconds(search), rowsShown,
                     m_form.lv1->topLevelItemCount());
        std::fflush(stderr);
        QApplication::quit();
    }

    TTcpIpFrm& m_form;
    Clock::duration m_creation;
    bool m_reported = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon::fromTheme("tcpmodcfg", QIcon(":/tcpmodcfg.png")));
    MessageBoxPresenter presenter;
    const Clock::time_point creating = Clock::now();
    TTcpIpFrm form(presenter);
    const Clock::duration creation = Clock::now() - creating;
    std::unique_ptr<FirstPaintReport> report;
    if (std::getenv("TCPMOD_BENCH_REPORT") != nullptr)
        report = std::make_unique<FirstPaintReport>(form, creation);
    form.show();
    return app.exec();
}
