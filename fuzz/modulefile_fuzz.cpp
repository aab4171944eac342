// The simulator's module-file loader on any text: modules that make sense, or one line
// naming the mistake; never another exception.
#include "FuzzCheck.h"
#include "LibraryModule.h"
#include "ModuleFile.h"
#include "net.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<sim::ModuleSpec> modules;
    try {
        modules = sim::parseModules(text, "f.json");
    } catch (const sim::ModuleFileError& error) {
        const std::string message = error.what();
        FUZZ_CHECK(message.rfind("f.json", 0) == 0);
        FUZZ_CHECK(message.find('\n') == std::string::npos);
        return 0;
    }
    for (const auto& spec : modules) {
        FUZZ_CHECK(isDottedQuad(spec.ip));
        FUZZ_CHECK(!spec.mac.empty());
        FUZZ_CHECK(spec.probeJitterMs >= 0 && spec.probeJitterMs <= 60000);
        for (const auto& [code, fault] : spec.faults)
            FUZZ_CHECK(fault.delayMs >= 0 && fault.delayMs <= 60000);
        if (spec.kind == sim::ModuleKind::Library)
            FUZZ_CHECK(sim::configFits(spec));
    }
    return 0;
}
