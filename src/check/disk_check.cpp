#include "check/disk_check.h"

#include <optional>
#include <utility>

#include "check/align_checks.h"
#include "check/boot_checks.h"
#include "check/gpt_checks.h"
#include "check/gpt_copy.h"
#include "check/mbr_checks.h"
#include "check/partition_origin.h"
#include "check/volume_checks.h"

namespace disklens {

namespace {

// Hands every record on to the report first, so that the report reads as it
// does without --check, then keeps what the later checks need. A boot row is
// checked at once: its views into the WorkBuffer last only this call.
class CheckSink final : public DiskRecordSink {
 public:
  CheckSink(ReportState& state, DiskRecordSink& report)
      : state_(state),
        report_(report),
        physicalSectorSize_(PhysicalSectorSize(state.disk)) {}

  void Mbr(const MbrRecord& mbr, const MbrChains& chains) override {
    report_.Mbr(mbr, chains);
    mbr_ = mbr;
    chains_ = chains;
    origins_.reset();
  }
  void Embr(const EmbrRecord& embr) override { report_.Embr(embr); }
  void Gpt(const GptRecord& gpt) override {
    report_.Gpt(gpt);
    gpt_ = gpt;
    origins_.reset();
    // The WorkBuffer still holds what the GPT section read: the check takes
    // the primary from there rather than reading it again.
    heldPrimary_ = HoldReportedGpt(state_, gpt);
  }
  void BeginBootRows(std::uint32_t count) override {
    report_.BeginBootRows(count);
    // Room for a finding a row, so that the list is not moved as it grows.
    bootFindings_.reserve(count);
  }
  void BootRow(const BootRowRecord& row) override {
    report_.BootRow(row);
    if (!origins_) origins_.emplace(mbr_, chains_, gpt_);
    const DiskFacts facts = Facts();
    CheckBootRow(state_, row, origins_->Find(row.row.lba), facts, bootFindings_);
    CheckVolumeRow(row, facts, bootFindings_);
  }
  void EndBootRows() override { report_.EndBootRows(); }

  DiskFacts Facts() const {
    DiskFacts facts;
    facts.sectorSize = state_.disk != nullptr ? state_.disk->sectorSize : 0;
    facts.sectorCount = mbr_.drive.totalSectors;
    facts.physicalSectorSize = physicalSectorSize_;
    return facts;
  }

  // The checks of the whole disk, in the order of its layers; the boot rows' last.
  DiskCheck Finish() {
    DiskCheck check;
    const DiskFacts facts = Facts();
    if (mbr_.bytesRead != 0) CheckMbrLayer(mbr_, chains_, facts, check.findings);
    CheckGptLayer(state_, mbr_, std::move(heldPrimary_), facts, check);
    CheckAlignment(mbr_, chains_, check.listBackup ? check.backup : gpt_, facts, check.findings);
    check.findings.reserve(check.findings.size() + bootFindings_.size());
    for (Finding& f : bootFindings_) check.findings.push_back(std::move(f));
    return check;
  }

 private:
  ReportState& state_;
  DiskRecordSink& report_;
  MbrRecord mbr_;
  MbrChains chains_;
  GptRecord gpt_;
  std::optional<HeldGptCopy> heldPrimary_;
  std::uint32_t physicalSectorSize_;  // asked once: a block device answers by an ioctl
  std::optional<PartitionOrigins> origins_;  // of the records above, built at the first boot row
  Findings bootFindings_;
};

}  // namespace

DiskCheck CheckDisk(ReportState& state, DiskRecordSink& report) {
  CheckSink sink(state, report);
  // The volume checks judge the exFAT boot regions that the pass then reads.
  const bool readVolumeRegions = state.readVolumeRegions;
  state.readVolumeRegions = true;
  ReadDiskRecords(state, sink);
  state.readVolumeRegions = readVolumeRegions;
  return sink.Finish();
}

}  // namespace disklens
