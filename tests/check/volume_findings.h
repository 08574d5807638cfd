// The findings of --json --check about a volume itself, without those of the
// partition tables around it (CHS values, alignment), which other suites judge.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace disklens::test {

inline nlohmann::json VolumeFindings(const nlohmann::json& all) {
  nlohmann::json kept = nlohmann::json::array();
  for (const auto& f : all) {
    const std::string id = f.at("id").get<std::string>();
    if (id.rfind("mbr.", 0) != 0 && id.rfind("align.", 0) != 0 && id.rfind("pmbr.", 0) != 0) {
      kept.push_back(f);
    }
  }
  return kept;
}

}  // namespace disklens::test
