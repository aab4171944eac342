#pragma once
// Many modules worked one by one (apply, commission): a progress line each, a failure that
// ends one module only, then a summary and a line on stderr per failure.

#include "CtlCommands.h"

#include <functional>
#include <string>
#include <vector>

class CtlBatch
{
public:
    CtlBatch(CtlContext& ctx, bool dryRun) : m_ctx(ctx), m_dryRun(dryRun) {}

    // Ends the module's progress line: step's own words and a line end when it gives no
    // failure, else "failed: " and the failure, which stderr repeats under id. An error
    // step raises (a socket error, a malformed library number) is that module's failure.
    void finish(const std::string& id, const std::function<std::string()>& step);
    // "3 done, 1 failed" (after "dry run, nothing written: "), the failures on stderr; the
    // exit status.
    int summary();

private:
    CtlContext& m_ctx;
    bool m_dryRun;
    std::size_t m_done = 0;
    std::vector<std::string> m_failures;
};
