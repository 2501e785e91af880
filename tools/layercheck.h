// layercheck: checks that the folders under src/ include one another only
// downward, floor by floor, and that their include graph has no cycle.
#ifndef PICTTOTOV_TOOLS_LAYERCHECK_H
#define PICTTOTOV_TOOLS_LAYERCHECK_H

#include <filesystem>
#include <ostream>

namespace layercheck {

// Reads the `#include "..."` lines of every file under `sourceRoot` and
// writes one line per problem to `errors`: an include that runs to a higher
// floor or into the other program, a folder cycle, a file in a folder the
// floor table does not know, an include of such a folder. Returns the number
// of problems; on none, writes a one-line summary to `summary`.
int CheckLayers(const std::filesystem::path &sourceRoot, std::ostream &errors,
                std::ostream &summary);

}  // namespace layercheck

#endif  // PICTTOTOV_TOOLS_LAYERCHECK_H
