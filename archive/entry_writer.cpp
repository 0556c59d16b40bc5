#include "archive/entry_writer.h"

#include <algorithm>
#include <limits>

#include "archive/file_digest.h"
#include "archive/minizip_archive.h"
#include "archive/time_text.h"
#include "runtime/error.h"
#include "runtime/frames.h"
#include "runtime/parameters.h"

namespace qb {

namespace {
// The archive a handle argument holds; null for anything but an open archive handle.
MinizipArchive* openArchive(const Value& handle) {
  const auto* pointer = std::get_if<Pointer>(&handle);
  auto* archive = pointer ? dynamic_cast<MinizipArchive*>(pointer->collectable.get()) : nullptr;
  return archive && archive->isOpen() ? archive : nullptr;
}

Value argumentError(const std::string& operation, std::span<const Value> params) {
  raiseArgumentError(operation, {params.begin(), params.end()});
  return {};
}

// The open archive of argument 1, once argument textAt, when there is one, is text. Otherwise the
// argument error is raised, and null.
MinizipArchive* archiveArgument(const std::string& operation, std::span<const Value> params,
                                std::size_t textAt = 0) {
  MinizipArchive* archive =
      textAt == 0 || param(params, textAt).isText() ? openArchive(param(params, 1)) : nullptr;
  if (!archive) argumentError(operation, params);
  return archive;
}

std::uint32_t toUint32(const Value& v) {
  return static_cast<std::uint32_t>(toInt32(v.number()));
}

// A timestamp gives date and time; otherwise a date and a time text do.
void setTime(EntryHeader& h, const Value& date, const Value& timeText) {
  if (const auto* stamp = std::get_if<Timestamp>(&date)) {
    Date{stamp->julian}.ymd(h.year, h.month, h.day);
    h.time = {stamp->millis / 3600000, stamp->millis / 60000 % 60, stamp->millis / 1000 % 60};
    return;
  }
  if (const auto* d = std::get_if<Date>(&date)) d->ymd(h.year, h.month, h.day);
  if (timeText.isText()) h.time = parseTimeText(timeText.text());
}
}  // namespace

Value HB_ZIPOPEN(std::span<const Value> params, Value* comment) {
  Frame frame("HB_ZIPOPEN", "", framed(params));
  const Value& name = param(params, 1);
  if (!name.isText()) return argumentError("HB_ZIPOPEN", params);
  const Value& mode = param(params, 2);
  std::optional<std::string> existing;
  auto archive =
      MinizipArchive::open(name.text(), mode.isNumber() ? toInt32(mode.number()) : 0, &existing);
  if (!archive) return {};
  if (comment && existing) *comment = *existing;
  return Value(Pointer{archive.get(), archive});
}

Value HB_ZIPFILECREATE(std::span<const Value> params) {
  Frame frame("HB_ZIPFILECREATE", "", framed(params));
  MinizipArchive* archive = archiveArgument("HB_ZIPFILECREATE", params, 2);
  if (!archive) return {};
  EntryHeader header;
  header.name = param(params, 2).text();
  setTime(header, param(params, 3), param(params, 4));
  header.internalAttributes = toUint32(param(params, 5));
  header.externalAttributes = toUint32(param(params, 6));
  if (param(params, 7).isNumber()) header.method = toInt32(param(params, 7).number());
  if (param(params, 8).isNumber()) header.level = toInt32(param(params, 8).number());
  if (param(params, 9).isText()) header.password = param(params, 9).text();
  header.crcForCrypting = toUint32(param(params, 10));
  if (param(params, 11).isText()) header.comment = param(params, 11).text();
  return archive->openEntry(header);
}

Value HB_ZIPFILEWRITE(std::span<const Value> params) {
  Frame frame("HB_ZIPFILEWRITE", "", framed(params));
  MinizipArchive* archive = archiveArgument("HB_ZIPFILEWRITE", params, 2);
  if (!archive) return {};
  const std::string& bytes = param(params, 2).text();
  auto count = static_cast<std::uint32_t>(
      std::min<std::size_t>(bytes.size(), std::numeric_limits<std::uint32_t>::max()));
  if (param(params, 3).isNumber()) count = std::min(count, toUint32(param(params, 3)));
  return archive->write(bytes.data(), count);
}

Value HB_ZIPFILECLOSE(std::span<const Value> params) {
  Frame frame("HB_ZIPFILECLOSE", "", framed(params));
  MinizipArchive* archive = archiveArgument("HB_ZIPFILECLOSE", params);
  if (!archive) return {};
  return archive->closeEntry();
}

Value HB_ZIPCLOSE(std::span<const Value> params) {
  Frame frame("HB_ZIPCLOSE", "", framed(params));
  MinizipArchive* archive = archiveArgument("HB_ZIPCLOSE", params);
  if (!archive) return {};
  const Value& comment = param(params, 2);
  return archive->close(comment.isText() ? &comment.text() : nullptr);
}

Value HB_ZIPFILECRC32(std::span<const Value> params) {
  Frame frame("HB_ZIPFILECRC32", "", framed(params));
  const Value& name = param(params, 1);
  if (!name.isText()) return argumentError("HB_ZIPFILECRC32", params);
  const auto digest = digestFile(name.text());
  return digest ? Value(static_cast<double>(digest->crc32)) : Value(0);
}

}  // namespace qb
