// The dialog's way to real modules, apart from the model so that a program or test that
// gives the model its own access does not need the vendor library.
#include "TcpSetModel.h"

ConfigAccess moduleAccess()
{
    return {
        [](const TModelParm& entry, TModelConfig& config) {
            return roadOf(entry) == ConfigRoad::Commands
                       ? ReadConfigByCommands(entry, config)
                       : ReadConfigByLibrary(entry.Ip, entry.LibraryTag, config);
        },
        [](const TModelParm& entry, const TModelConfig& config) {
            return roadOf(entry) == ConfigRoad::Commands
                       ? WriteConfigByCommands(entry, config)
                       : WriteConfigByLibrary(entry.Ip, kLibraryWritePassword, entry.LibraryTag, config);
        },
    };
}
