// One move of the CCAM tables: backup of the source folders in a private
// folder, transfer, sesam.ini pointed at the destination, and the rollback
// that puts back exactly what this run changed.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "run/run_context.h"
#include "sesam/table_set.h"

namespace kt::sesam {

class CcamTransfer {
public:
    CcamTransfer(const run::RunContext& ctx, std::string ini, const TableSet& source, const TableSet& destination,
                 bool move);

    // True when the four folders are in place and sesam.ini points at them;
    // false once the user was told why not.
    [[nodiscard]] bool Run();

private:
    using Folders = std::array<std::string, 4>;

    bool MakeBackup();
    // The index of the folder whose transfer failed, or nothing.
    std::optional<std::size_t> Transfer();
    bool PointIniAtDestination();
    // Puts back the folders up to `last`; true when everything came back.
    bool Rollback(std::size_t last);
    void Fail(int stringId) const;

    const run::RunContext& ctx_;
    const std::string ini_;
    const Folders source_;
    const Folders destination_;
    const bool move_;
    // The private folder of this run, its copies of the sources, and the
    // destination folders that were there before, set aside.
    std::string root_;
    Folders backup_;
    Folders replaced_;
    std::array<bool, 4> setAside_{};
    // Destinations this run wrote into (the one whose transfer failed included).
    std::array<bool, 4> written_{};
};

}  // namespace kt::sesam
