// The file-system interface object: paths, the current folder, listings and
// transfers on top of the attached volume. Every operation catches its own
// failures and reports them through lastError.
#include "plugins/volkit/FileSystem.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "contract/PluginContract.h"
#include "plugins/volkit/Format.h"
#include "plugins/volkit/FsError.h"
#include "plugins/volkit/OnDisk.h"
#include "plugins/volkit/Volume.h"

namespace volkit {

namespace {

constexpr uint32_t TransferBlockBytes = 256 * 1024;

template <size_t N>
void CopyText(char (&target)[N], std::string_view text) {
  size_t n = std::min(text.size(), N - 1);
  std::memcpy(target, text.data(), n);
  target[n] = '\0';
}

// A text argument from the program; a null one names nothing.
std::string_view Argument(const char* text) {
  if (text == nullptr) Fail(FileSystemError::InvalidName);
  return text;
}

bool IsDotName(std::u16string_view name) { return name == u"." || name == u".."; }

// The name the program shows and passes back: the long name in its code
// page, or the short name when the long one cannot be held there.
std::string DisplayName(const DirEntry& entry) {
  std::string text = FormatShortName(entry.shortName, entry.caseFlags);
  // Plain ASCII reads the same in every code page.
  if (entry.longName.empty() && std::all_of(text.begin(), text.end(), [](char c) { return uint8_t(c) < 0x80; }))
    return text;
  std::string converted;
  return FromLongName(entry.name(), &converted) ? converted : text;
}

DirEntryRecord MakeRecord(const DirEntry& entry) {
  DirEntryRecord record{};
  record.attributes = entry.attributes;
  record.size = entry.isFolder() ? 0 : entry.size;
  record.year = uint16_t(1980 + (entry.date >> 9));
  record.month = (entry.date >> 5) & 15;
  record.day = entry.date & 31;
  record.hour = entry.time >> 11;
  record.minute = (entry.time >> 5) & 63;
  record.second = uint16_t((entry.time & 31) * 2);
  CopyText(record.shortName, FormatShortName(entry.shortName));
  CopyText(record.longName, DisplayName(entry));
  return record;
}

std::vector<std::string_view> SplitPath(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = std::min(path.find('\\', start), path.size());
    std::string_view part = path.substr(start, end - start);
    if (!part.empty()) parts.push_back(part);
    start = end + 1;
  }
  return parts;
}

class VolumeFileSystem final : public FileSystemInterface {
 public:
  uint32_t destroy(uint32_t deleteSelf) override {
    if (deleteSelf) delete this;
    return 1;
  }

  uint32_t lastError() override { return lastError_; }

  uint32_t attach(DeviceInterface* device) override {
    return guarded([&] {
      volume_.reset();
      device_ = device;
      volume_ = std::make_unique<Volume>(device);
      if (device->checkWritable()) volume_->mend();
      reset();
      return 1u;
    });
  }

  uint32_t format(DeviceInterface* device, TransferRequest* request) override {
    return guarded([&] {
      volume_.reset();
      device_ = device;
      FormatProgress progress = [request](uint32_t done, uint32_t total) {
        request->total = total;
        request->done = done;
        return request->progress == nullptr || request->progress(request) != 0;
      };
      bool finished = FormatVolume(device, request ? &progress : nullptr);
      // A stopped full format has already written an empty volume.
      volume_ = std::make_unique<Volume>(device);
      reset();
      if (!finished) Fail(FileSystemError::Stopped);
      return 1u;
    });
  }

  uint32_t beginUpdate() override {
    ++batchDepth_;
    return 1;
  }

  uint32_t endUpdate() override {
    if (batchDepth_ > 0) --batchDepth_;
    return guarded([&] {
      volume().commit();
      volume().finishChanges();
      return 1u;
    });
  }

  uint32_t getVolumeInfo(VolumeInfoRecord* info) override {
    return guarded([&] {
      const Geometry& g = volume().geometry();
      *info = VolumeInfoRecord{};
      info->serialNumber = g.serialNumber;
      info->totalClusters = g.clusterCount;
      info->fatBits = g.fatBits;
      info->bytesPerCluster = g.bytesPerCluster();
      info->bytesPerSector = g.bytesPerSector;
      info->sectorsPerCluster = g.sectorsPerCluster;
      CopyText(info->label, volume().label());
      return 1u;
    });
  }

  uint32_t setLabel(const char* text) override {
    return changing([&] {
      std::string label(Argument(text));
      label.erase(label.find_last_not_of(' ') + 1);
      if (!label.empty() && label[0] == ' ') Fail(FileSystemError::InvalidName);  // as for a short name
      for (char& c : label) {
        if (uint8_t(c) >= 0x80) Fail(FileSystemError::NotRepresentable);
        if (uint8_t(c) < 0x20 || std::strchr("\"*+,./:;<=>?[\\]|", c) != nullptr) Fail(FileSystemError::InvalidName);
        if (c >= 'a' && c <= 'z') c = char(c - 32);
      }
      if (label.size() > ExtendedBoot::LabelSize) Fail(FileSystemError::NameTooLong);
      volume().setLabel(label);
    });
  }

  uint32_t freeClusters() override {
    return guarded([&] { return volume().fat().freeCount(); });
  }

  uint32_t isAtRoot() override { return cwd_.empty(); }

  uint32_t getCurrentDir(char* buffer, uint32_t size) override {
    std::string path;
    for (const Step& step : cwd_) path.append(1, '\\').append(step.name);
    if (path.empty()) path.assign(1, '\\');
    if (buffer != nullptr && size != 0) {
      size_t n = std::min<size_t>(path.size(), size);
      std::memcpy(buffer, path.data(), n);
      if (n < size) buffer[n] = '\0';
    }
    return uint32_t(path.size());
  }

  uint32_t changeDir(const char* path) override {
    return guarded([&] {
      std::string_view text = Argument(path);
      cwd_ = walk(text, SplitPath(text));
      return 1u;
    });
  }

  uint32_t makeDir(const char* name) override {
    return changing([&] {
      std::u16string leaf;
      Directory& parent = parentOf(Argument(name), &leaf);
      if (IsDotName(leaf)) Fail(FileSystemError::NothingToDo);
      if (const DirEntry* existing = parent.find(leaf)) {
        Fail(existing->isFolder() ? FileSystemError::NothingToDo : FileSystemError::NameExists);
      }
      parent.reserve(Directory::slotsFor(leaf));
      Volume& v = volume();
      uint32_t cluster = v.fat().allocate(1).front();
      DirEntry data;
      data.attributes = DirEntry::Folder;
      CurrentDosTime(&data.date, &data.time);
      // The new folder's clusters are free until the entry below is
      // committed, so writing them first leaves no trace on failure.
      std::vector<uint8_t> content(v.geometry().bytesPerCluster(), 0);
      DirEntry dot = data;
      dot.shortName.fill(' ');
      dot.shortName[0] = '.';
      dot.cluster = cluster;
      WriteShortEntry(content.data(), dot);
      dot.shortName[1] = '.';
      dot.cluster = parent.cluster();
      WriteShortEntry(content.data() + DirSlot::Size, dot);
      v.writeClusters(cluster, 1, content.data());
      v.forgetDirectory(cluster);
      data.cluster = cluster;
      parent.create(leaf, data);
    });
  }

  uint32_t removeDir(const char* name) override {
    return changing([&] {
      std::u16string leaf;
      Directory& parent = parentOf(Argument(name), &leaf);
      if (IsDotName(leaf)) Fail(FileSystemError::InvalidName);
      const DirEntry* entry = parent.find(leaf);
      if (entry == nullptr) Fail(FileSystemError::NothingToDo);
      if (!entry->isFolder()) Fail(FileSystemError::WrongKind);
      if (!volume().directory(folderCluster(*entry)).isEmpty()) Fail(FileSystemError::FolderNotEmpty);
      removeEntry(parent, *entry);
    });
  }

  uint32_t findBegin() override {
    return guarded([&] {
      // The entries as they are now; each record is made when it is asked for.
      listing_ = volume().directory(currentCluster()).entries();
      listPosition_ = 0;
      return 1u;
    });
  }

  uint32_t findNext(DirEntryRecord* entry) override {
    if (listPosition_ >= listing_.size()) {
      lastError_ = FileSystemError::NotFound;
      return 0;
    }
    try {
      *entry = MakeRecord(listing_[listPosition_++]);
    } catch (const std::bad_alloc&) {
      lastError_ = FileSystemError::OutOfMemory;
      return 0;
    }
    return 1;
  }

  uint32_t findEnd() override {
    listing_.clear();
    listPosition_ = 0;
    return 1;
  }

  uint32_t lookup(const char* name, DirEntryRecord* record) override {
    return guarded([&] {
      std::u16string leaf;
      const DirEntry* entry = parentOf(Argument(name), &leaf).find(leaf);
      if (entry == nullptr) {
        // Not thrown: asking whether a name is free is the common case.
        lastError_ = FileSystemError::NotFound;
        return 0u;
      }
      if (record != nullptr) *record = MakeRecord(*entry);
      return 1u;
    });
  }

  uint32_t rename(const char* oldName, const char* newName) override {
    return changing([&] {
      std::u16string oldLeaf;
      Directory& folder = parentOf(Argument(oldName), &oldLeaf);
      std::string_view newText = Argument(newName);
      if (newText.find('\\') != std::string_view::npos) Fail(FileSystemError::InvalidName);
      std::u16string newLeaf = ToLongName(newText);
      if (IsDotName(oldLeaf) || IsDotName(newLeaf)) Fail(FileSystemError::InvalidName);
      const DirEntry* entry = folder.find(oldLeaf);
      if (entry == nullptr) Fail(FileSystemError::NotFound);
      const DirEntry* other = folder.find(newLeaf);
      if (other != nullptr && other->slot != entry->slot) Fail(FileSystemError::NameExists);
      if (entry->name() == newLeaf) return;
      DirEntry data = *entry;
      std::optional<DirEntry> renamed = folder.renameInOneWrite(data, newLeaf);
      if (!renamed) {
        // Without room beside the old entry the new one is written first: an
        // interruption then leaves both names on the data, never neither.
        renamed = folder.create(newLeaf, data);
        volume().commit();
        folder.remove(data);
      }
      for (Step& step : cwd_) {
        if (renamed->isFolder() && step.cluster == renamed->cluster) step.name = DisplayName(*renamed);
      }
    });
  }

  uint32_t deleteFile(const char* name) override {
    return changing([&] {
      std::u16string leaf;
      Directory& folder = parentOf(Argument(name), &leaf);
      if (IsDotName(leaf)) Fail(FileSystemError::InvalidName);
      const DirEntry* entry = folder.find(leaf);
      if (entry == nullptr) Fail(FileSystemError::NotFound);
      if (entry->isFolder()) Fail(FileSystemError::WrongKind);
      removeEntry(folder, *entry);
    });
  }

  uint32_t writeFile(TransferRequest* request) override {
    return changing([&] { write(request); });
  }

  uint32_t readFile(TransferRequest* request) override {
    return guarded([&] {
      read(request);
      return 1u;
    });
  }

 private:
  struct Step {
    std::string name;
    uint32_t cluster;
  };

  // Runs one operation; a failure becomes lastError and result 0.
  template <class Operation>
  uint32_t guarded(Operation&& operation) {
    try {
      lastError_ = 0;
      if (volume_ != nullptr) volume_->trimDirectories();
      return operation();
    } catch (const FsError& error) {
      lastError_ = error.code;
    } catch (const std::bad_alloc&) {
      lastError_ = FileSystemError::OutOfMemory;
    }
    return 0;
  }

  // Runs an operation that changes the volume and writes its changes. When
  // a failure leaves memory ahead of the disk, the volume is read anew before
  // the next operation: whatever was not committed is gone. Unless the device
  // failed, the disk is then as the last commit left it, and is marked clean.
  template <class Operation>
  uint32_t changing(Operation&& operation) {
    uint32_t result = guarded([&] {
      operation();
      volume().commit();
      if (batchDepth_ == 0) volume().finishChanges();
      return 1u;
    });
    if (result == 0 && volume_ != nullptr) {
      stale_ = stale_ || volume_->hasChanges();
      uint32_t error = lastError_;
      if (error != FileSystemError::Device && !volume_->foundUnclean()) {
        guarded([&] {
          volume().markConsistent();
          return 1u;
        });
      }
      lastError_ = error;
    }
    return result;
  }

  Volume& volume() {
    if (stale_) {
      volume_.reset();
      volume_ = std::make_unique<Volume>(device_);
      stale_ = false;
    }
    if (volume_ == nullptr) Fail(FileSystemError::NoFileSystem);
    return *volume_;
  }

  void reset() {
    cwd_.clear();
    listing_.clear();
    listPosition_ = 0;
    stale_ = false;
  }

  uint32_t currentCluster() const { return cwd_.empty() ? 0 : cwd_.back().cluster; }

  // The cluster of a folder entry, checked: only "." and ".." may name the root.
  uint32_t folderCluster(const DirEntry& entry) {
    if (entry.cluster == 0 && !entry.isDotEntry()) Damaged();
    if (entry.cluster != 0 && !volume().geometry().isCluster(entry.cluster)) Damaged();
    return entry.cluster;
  }

  // The folders `parts` lead to from the current folder (from the root when
  // `path` is empty or starts with a backslash).
  std::vector<Step> walk(std::string_view path, const std::vector<std::string_view>& parts) {
    std::vector<Step> steps = path.empty() || path[0] == '\\' ? std::vector<Step>{} : cwd_;
    for (std::string_view part : parts) {
      if (part == ".") continue;
      if (part == "..") {
        if (steps.empty()) Fail(FileSystemError::NothingToDo);
        steps.pop_back();
        continue;
      }
      Directory& folder = volume().directory(steps.empty() ? 0 : steps.back().cluster);
      const DirEntry* entry = folder.find(ToLongName(part));
      if (entry == nullptr) Fail(FileSystemError::NotFound);
      if (!entry->isFolder()) Fail(FileSystemError::WrongKind);
      steps.push_back({DisplayName(*entry), folderCluster(*entry)});
      // Read now, so that a folder outside the volume is refused here.
      volume().directory(steps.back().cluster);
    }
    return steps;
  }

  // The folder that holds the last part of `name`, and that part.
  Directory& parentOf(std::string_view name, std::u16string* leaf) {
    std::vector<std::string_view> parts = SplitPath(name);
    if (parts.empty()) Fail(FileSystemError::InvalidName);
    *leaf = parts.back() == "." || parts.back() == ".." ? AsciiToUtf16(parts.back()) : ToLongName(parts.back());
    parts.pop_back();
    // A bare name, the common case, is in the current folder or the root.
    if (parts.empty()) return volume().directory(name[0] == '\\' ? 0 : currentCluster());
    std::vector<Step> steps = walk(name, parts);
    return volume().directory(steps.empty() ? 0 : steps.back().cluster);
  }

  // The entry disappears from disk before its clusters are freed, so an
  // interruption loses clusters at worst. A chain that another entry of the
  // folder still leads to (what an interrupted rename leaves) stays. `entry`
  // is a copy because Directory::remove rebuilds the entries a reference
  // would point into.
  // NOLINTNEXTLINE(performance-unnecessary-value-param): see above
  void removeEntry(Directory& folder, DirEntry entry) {
    std::vector<uint32_t> clusters = volume().fat().chain(entry.isFolder() ? folderCluster(entry) : entry.cluster);
    folder.remove(entry);
    volume().commit();
    bool shared = std::any_of(folder.entries().begin(), folder.entries().end(), [&](const DirEntry& other) {
      return other.cluster == entry.cluster && !other.isDotEntry();
    });
    if (!shared) volume().fat().release(clusters);
    if (entry.isFolder()) volume().forgetDirectory(entry.cluster);
  }

  uint32_t blockBytes() {
    uint32_t cluster = volume().geometry().bytesPerCluster();
    return std::max(cluster, TransferBlockBytes / cluster * cluster);
  }

  // The update-now bit is never set: the program's display keeps its own
  // pace, so that a short transfer never shows its window.
  static void reportProgress(TransferRequest* request, uint32_t done) {
    request->done = done;
    if (request->progress != nullptr && request->progress(request) == 0) Fail(FileSystemError::Stopped);
  }

  // Writes `count` clusters of `chain` from `first` on, from `data`, one run
  // of consecutive clusters per device call.
  // Writes or reads `count` clusters of the chain from its `first` on; a
  // read ends with the sector that holds the last of `bytes`.
  void transferClusters(const std::vector<uint32_t>& chain, size_t first, size_t count, uint8_t* data, bool toDisk,
                        size_t bytes = SIZE_MAX) {
    Volume& v = volume();
    uint32_t clusterBytes = v.geometry().bytesPerCluster();
    for (size_t i = first; i < first + count;) {
      size_t end = i + 1;
      while (end < first + count && chain[end] == chain[end - 1] + 1) ++end;
      uint8_t* p = data + (i - first) * clusterBytes;
      if (toDisk) {
        v.writeClusters(chain[i], uint32_t(end - i), p);
      } else {
        v.readClusters(chain[i], uint32_t(end - i), p, bytes - (i - first) * clusterBytes);
      }
      i = end;
    }
  }

  void write(TransferRequest* request) {
    if (request->data == nullptr) Fail(FileSystemError::System);
    std::u16string leaf;
    Directory& folder = parentOf(Argument(request->name), &leaf);
    if (IsDotName(leaf)) Fail(FileSystemError::InvalidName);
    Volume& v = volume();
    const DirEntry* found = folder.find(leaf);
    if (found != nullptr && found->isFolder()) Fail(FileSystemError::WrongKind);
    std::optional<DirEntry> existing;
    if (found != nullptr) existing = *found;

    uint32_t total = request->total;
    uint32_t clusterBytes = v.geometry().bytesPerCluster();
    uint32_t needed = uint32_t((uint64_t(total) + clusterBytes - 1) / clusterBytes);
    std::vector<uint32_t> oldClusters = existing ? v.fat().chain(existing->cluster) : std::vector<uint32_t>{};
    if (!existing) folder.reserve(Directory::slotsFor(leaf));
    if (needed > v.fat().freeCount()) v.fat().confirmFreeCount();
    if (needed > v.fat().freeCount()) {
      // The new version goes beside the old one while there is room; only
      // when there is not does the old one make way first.
      if (!existing || needed > v.fat().freeCount() + oldClusters.size()) Fail(FileSystemError::MediumFull);
      removeEntry(folder, *existing);
      v.commit();
      existing.reset();
      oldClusters.clear();
      folder.reserve(Directory::slotsFor(leaf));
      if (needed > v.fat().freeCount()) Fail(FileSystemError::MediumFull);
    }
    std::vector<uint32_t> chain = v.fat().allocate(needed);

    const size_t bufferBytes = std::min<uint64_t>(blockBytes(), uint64_t(needed) * clusterBytes);
    const std::unique_ptr<uint8_t[]> buffer = std::make_unique_for_overwrite<uint8_t[]>(bufferBytes);
    reportProgress(request, 0);
    for (uint32_t done = 0; done < total;) {
      uint32_t length = std::min<uint32_t>(uint32_t(bufferBytes), total - done);
      if (request->data(request, buffer.get(), length) == 0) Fail(FileSystemError::Stopped);
      uint32_t clusters = (length + clusterBytes - 1) / clusterBytes;
      std::fill(buffer.get() + length, buffer.get() + size_t(clusters) * clusterBytes, 0);
      transferClusters(chain, done / clusterBytes, clusters, buffer.get(), true);
      done += length;
      reportProgress(request, done);
    }

    DirEntry data = existing ? *existing : DirEntry{};
    data.attributes = uint8_t((data.attributes & ~DirEntry::Folder) | DirEntry::Archive);
    data.cluster = chain.empty() ? 0 : chain.front();
    data.size = total;
    CurrentDosTime(&data.date, &data.time);
    if (!existing) {
      folder.create(leaf, data);
      return;
    }
    folder.update(data);
    v.commit();
    v.fat().release(oldClusters);
  }

  void read(TransferRequest* request) {
    if (request->data == nullptr) Fail(FileSystemError::System);
    std::u16string leaf;
    const DirEntry* entry = parentOf(Argument(request->name), &leaf).find(leaf);
    if (entry == nullptr) Fail(FileSystemError::NotFound);
    if (entry->isFolder()) Fail(FileSystemError::WrongKind);
    Volume& v = volume();
    uint32_t total = entry->size;
    uint32_t clusterBytes = v.geometry().bytesPerCluster();
    std::vector<uint32_t> chain = v.fat().chain(entry->cluster);
    if (uint64_t(chain.size()) * clusterBytes < total) Damaged();

    const size_t bufferBytes = std::min<uint64_t>(blockBytes(), uint64_t(chain.size()) * clusterBytes);
    const std::unique_ptr<uint8_t[]> buffer = std::make_unique_for_overwrite<uint8_t[]>(bufferBytes);
    request->total = total;
    reportProgress(request, 0);
    for (uint32_t done = 0; done < total;) {
      uint32_t length = std::min<uint32_t>(uint32_t(bufferBytes), total - done);
      transferClusters(chain, done / clusterBytes, (length + clusterBytes - 1) / clusterBytes, buffer.get(), false,
                       length);
      if (request->data(request, buffer.get(), length) == 0) Fail(FileSystemError::Stopped);
      done += length;
      reportProgress(request, done);
    }
  }

  uint32_t lastError_ = 0;
  DeviceInterface* device_ = nullptr;
  std::unique_ptr<Volume> volume_;
  bool stale_ = false;
  uint32_t batchDepth_ = 0;
  std::vector<Step> cwd_;
  std::vector<DirEntry> listing_;
  size_t listPosition_ = 0;
};

}  // namespace

FileSystemInterface* CreateFileSystem() { return new (std::nothrow) VolumeFileSystem(); }

}  // namespace volkit
