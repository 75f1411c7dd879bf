// The portal records (stairs and teleporters of every level) written as
// [[portal]] tables of one TOML file, each with its [portal.placement].
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "GAME_File.h"
#include "data_names.h"

// Records in file order; the furniture ("fu_stairs_down", "fu_stairs_up",
// "fu_teleporter") sets the placement's stuff type and id. portal_id
// defaults to the record's number and must be unique.
std::vector<PortalRecord> read_portals(std::string_view text, const std::string& file,
                                       const DataNames& names);
