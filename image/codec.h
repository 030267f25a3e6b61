// Conversion between RadioImage and the records.
//
// Decode fills every field it covers and leaves the rest (Position, DispayA,
// DuplexAllowed, RxOnly, DscFlags 4 and 5, ...) as they were. Encode writes the
// records into the image without changing them, apart from the two repairs
// the radio needs: unusable groups whose bank has no enabled channel, and
// PriorityCh in the channel reference repair. Bytes the codec does not own
// keep their values, so a read-edit-write cycle never loses radio data.
// Failures throw RuntimeError; the caller's operation traps them.
#pragma once

#include "core/records.h"

#include <cstdint>
#include <span>

namespace qb41 {

// Whole-image decode: settings, then CHUSA, CHINT, CHCAN, CHWX, CHMMSID,
// CHGRPID, CHEXP.
void DecodeImage(DataSet& data, ModelNumber model);
// Usable groups, common setup, DSC, ATIS and (model 0) the call-sign table.
void DecodeSettings(DataSet& data, ModelNumber model);
void DecodeBank(DataSet& data, ModelNumber model, Bank bank);
void DecodeDirectories(DataSet& data);

// Whole-image encode: usable-group repair, settings, banks and directories.
void EncodeImage(DataSet& data, ModelNumber model);
void EncodeSettings(DataSet& data, ModelNumber model);
void EncodeBank(DataSet& data, ModelNumber model, Bank bank);
void EncodeDirectories(DataSet& data);

// Clears Usable of every group whose bank has no enabled channel.
void RepairUsableGroups(Records& records);
// Repairs the radio's current channel, reference lists and PriorityCh against
// the freshly encoded bitmaps (image and PriorityCh only).
void RepairChannelReferences(DataSet& data);
// Byte 95 = low 8 bits of the sum of bytes 66..94.
void StoreChecksum(RadioImage& image);

// Everything that happens right before an image leaves the program (clone
// write, image file save): encode, channel reference repair, checksum.
void PrepareImageForWrite(DataSet& data, ModelNumber model);

// The image a program operation writes: `base`, the radio's current contents
// (the whole read made just before, indices 0 up to the model's last index),
// with the records encoded over it, the channel references repaired and the
// checksum stored. Every byte and bit the records do not own keeps the radio's
// value (its counters, per-radio bytes, flags no file can hold). Without a read
// of the radio the caller passes the image it has (a fresh image's values).
// Throws RuntimeError as the encode does; data.image is then partly written.
void BuildImageToWrite(DataSet& data, ModelNumber model, std::span<const std::uint8_t> base);

// OffsetTime index (0..24, 12 = none) from/to the 5-bit code of byte 76.
std::int16_t DecodeOffsetTime(std::uint8_t byte76);
std::uint8_t EncodeOffsetTime(int index);

// The directory contiguity rule: from the first entry with an empty Mmsid on,
// every entry is cleared; the leading entries are enabled.
void NormaliseDirectory(std::vector<DirectoryRecord>& directory);

} // namespace qb41
