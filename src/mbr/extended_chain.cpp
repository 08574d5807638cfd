#include "mbr/extended_chain.h"

#include <array>
#include <cinttypes>
#include <cstring>

#include "disk/geometry.h"
#include "disk/transfer.h"
#include "platform/platform.h"
#include "mbr/partition_row.h"
#include "mbr/partition_types.h"
#include "text/output.h"

namespace disklens {

namespace {

// Two sectors of up to 4,096 bytes; more when the disk's sectors are larger.
constexpr std::size_t kChainBufferSize = 8192;
constexpr std::size_t kIdByteOffset = 512;

// The chain's own buffer, so that sector 0 stays in the WorkBuffer meanwhile.
class ChainBuffer {
 public:
  explicit ChainBuffer(std::size_t size)
      : data_(static_cast<std::uint8_t*>(CurrentPlatform().VirtualAlloc(size))) {}
  ~ChainBuffer() {
    if (data_ != nullptr) CurrentPlatform().VirtualFree(data_);
  }
  ChainBuffer(const ChainBuffer&) = delete;
  ChainBuffer& operator=(const ChainBuffer&) = delete;
  std::uint8_t* Data() const { return data_; }

 private:
  std::uint8_t* data_;
};

// The LBAs of the EBRs walked so far. A fixed table rather than a node per
// EBR keeps the walk free of allocations; a chain holds few EBRs, so a scan is quick.
class VisitedEbrs {
 public:
  bool Contains(std::uint64_t lba) const {
    for (std::uint32_t i = 0; i < count_; ++i) {
      if (lbas_[i] == lba) return true;
    }
    return false;
  }
  std::uint32_t Count() const { return count_; }
  // Only called below the limit, which the walk checks first.
  void Add(std::uint64_t lba) { lbas_[count_++] = lba; }

 private:
  std::array<std::uint64_t, kMaxChainEbrs> lbas_;
  std::uint32_t count_ = 0;
};

// Keeps the EBR's rows and collects its logical partitions. True when it
// links on; `offset` then holds the link.
bool WalkEbr(ReportState& state, ByteView ebr, EbrRecord& record,
             std::uint16_t partitionNumber, std::uint32_t& offset) {
  bool linked = false;
  for (int j = 0; j < 4; ++j) {
    const MbrPartitionEntry entry = ReadPartitionEntry(ebr, j);
    record.entries[static_cast<std::size_t>(j)] = entry;
    if (IsMbrExtendedType(entry.type) && !linked) {
      // Only the first link of an EBR is followed.
      offset = entry.startLba;
      linked = true;
    } else if (IsBootTargetType(entry.type)) {
      const auto id = static_cast<std::uint16_t>(
          state.allOption ? partitionNumber * 256u + ebr.U8(kIdByteOffset) : 0u);
      AddBootTarget(state.bootTargets, entry.type, id, entry.sectorCount,
                    record.lba + entry.startLba);
    }
  }
  return linked;
}

// Reads the EBR and the sector behind it into `buffer`. An EBR in the disk's
// last sector has no sector behind it: it is read alone, and the second
// sector taken as zeros. The disk's size is asked only then.
bool ReadEbr(DiskDevice* disk, std::uint64_t ebrLba, std::uint8_t* buffer) {
  const auto low = static_cast<std::uint32_t>(ebrLba);
  const auto high = static_cast<std::uint32_t>(ebrLba >> 32);
  if (ReadSectors(low, high, buffer, 2, disk) != 0) return true;
  DriveGeometry geometry;
  if (GetDriveGeometry(disk, geometry) == 0 || geometry.totalSectors == 0) return false;
  if (ebrLba + 1 < geometry.totalSectors) return false;
  if (ReadSectors(low, high, buffer, 1, disk) == 0) return false;
  std::memset(buffer + disk->sectorSize, 0, disk->sectorSize);
  return true;
}

// The walk's rows, without its closing line.
ChainWalk WalkChain(ReportState& state, std::uint32_t baseLba, std::uint16_t partitionNumber,
                    std::vector<EbrRecord>& records) {
  DiskDevice* disk = state.disk;
  if (disk == nullptr || disk->sectorSize == 0) return {ChainEnd::kNoBuffer, baseLba, 0};
  const std::size_t readSize = 2u * disk->sectorSize;
  ChainBuffer buffer(readSize > kChainBufferSize ? readSize : kChainBufferSize);
  if (buffer.Data() == nullptr) return {ChainEnd::kNoBuffer, baseLba, 0};

  VisitedEbrs visited;
  std::uint32_t offset = 0;
  for (;;) {
    // 64-bit: past 2^32 a 32-bit sum would wrap to a sector near the disk's start.
    const std::uint64_t ebrLba = static_cast<std::uint64_t>(baseLba) + offset;
    const std::uint32_t ebrs = visited.Count();
    if (visited.Contains(ebrLba)) return {ChainEnd::kLoop, ebrLba, ebrs};
    if (ebrs >= kMaxChainEbrs) return {ChainEnd::kChainCap, ebrLba, ebrs};
    if (state.chainEbrsLeft == 0) return {ChainEnd::kPassBudget, ebrLba, ebrs};
    --state.chainEbrsLeft;
    visited.Add(ebrLba);
    if (!ReadEbr(disk, ebrLba, buffer.Data())) return {ChainEnd::kReadError, ebrLba, ebrs + 1};
    const ByteView ebr{buffer.Data(), readSize};
    if (ebr.U16(kBootSignatureOffset) != kBootSignature) {
      return {ChainEnd::kNoSignature, ebrLba, ebrs + 1};
    }
    EbrRecord& record = records.emplace_back();
    record.lba = ebrLba;
    const bool linked = WalkEbr(state, ebr, record, partitionNumber, offset);
    // `offset` is the new link, or this EBR's own offset: only a first EBR
    // without a link goes without the rule.
    record.ruleAfter = offset != 0;
    if (!linked) return {ChainEnd::kLastEbr, ebrLba, ebrs + 1};
  }
}

void PrintChainEnd(const ChainWalk& walk) {
  const auto lba = static_cast<unsigned long long>(walk.lba);
  switch (walk.end) {
    case ChainEnd::kReadError:
      Print("\n     Error on Read\n");
      break;
    case ChainEnd::kLoop:
      Print("\n     Chain loops back to LBA %llu\n", lba);
      break;
    case ChainEnd::kChainCap:
      Print("\n     Chain stopped after %" PRIu32 " EBRs, before LBA %llu\n", kMaxChainEbrs, lba);
      break;
    case ChainEnd::kPassBudget:
      Print("\n     Chain stopped after %" PRIu32 " EBRs of this disk, before LBA %llu\n",
            kPassEbrBudget, lba);
      break;
    case ChainEnd::kLastEbr:
    case ChainEnd::kNoSignature:
    case ChainEnd::kNoBuffer:
      break;
  }
}

}  // namespace

ChainRecord WalkExtendedChain(ReportState& state, std::uint32_t baseLba,
                              std::uint16_t partitionNumber) {
  ChainRecord chain;
  chain.walk = WalkChain(state, baseLba, partitionNumber, chain.ebrs);
  return chain;
}

ChainWalk PrintExtendedChain(ReportState& state, std::uint32_t baseLba,
                             std::uint16_t partitionNumber) {
  const ChainRecord chain = WalkExtendedChain(state, baseLba, partitionNumber);
  PrintChainRecord(chain);
  return chain.walk;
}

void PrintChainRecord(const ChainRecord& chain) {
  Print("%s", kMbrTableFrame);
  Print("\n                         Volume Information");
  Print("%s", kMbrTableRule);
  for (const EbrRecord& ebr : chain.ebrs) {
    for (int j = 0; j < 4; ++j) {
      Print("\n");
      PrintPartitionRow(ebr.entries[static_cast<std::size_t>(j)], j);
    }
    if (ebr.ruleAfter) Print("%s", kMbrTableRule);
  }
  PrintChainEnd(chain.walk);
}

}  // namespace disklens
