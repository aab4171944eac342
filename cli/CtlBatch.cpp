#include "CtlBatch.h"

#include <exception>
#include <ostream>

void CtlBatch::finish(const std::string& id, const std::function<std::string()>& step)
{
    std::string failure;
    try {
        failure = step();
    } catch (const std::exception& error) {
        failure = error.what();
        for (std::size_t at; (at = failure.find("\r\n")) != std::string::npos;)
            failure.replace(at, 2, " ");
    }
    if (failure.empty()) {
        ++m_done;
        m_ctx.out << '\n';
    } else {
        m_ctx.out << "failed: " << failure << '\n';
        m_failures.push_back(id + ": " + failure);
    }
}

int CtlBatch::summary()
{
    m_ctx.out << (m_dryRun ? "dry run, nothing written: " : "") << m_done << " done, " << m_failures.size()
              << " failed\n";
    for (const std::string& failure : m_failures)
        reportError(m_ctx, failure);
    return m_failures.empty() ? exitcode::kOk : exitcode::kFailed;
}
