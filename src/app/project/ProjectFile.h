#pragma once
// Reader and writer of project files (.vtp) and of the side blocks that undo
// snapshots share with them.
//
// The file is one little-endian stream: four signature words, the oldest
// reader and writer versions, the drawing defaults, the draw objects of every
// face, the product kind code and the product block (its settings and every
// side with its pictures). Every block is fenced by fixed marker words; a
// reader that meets another value where a marker belongs stops reading that
// block quietly and keeps what it has read. Running out of data, sizes that
// do not fit the file and pictures too large to hold make the read fail with
// a message instead.

#include "ground/Archive.h"
#include "app/FaceObjects.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CRaster;
class CSide;
class CVtwinDoc;
class SettingStore;
struct CDocContent;

// What a read met besides the content it returned: draw objects that could
// not be made, and what damage left out of a file read only in part.
struct SReadReport {
    std::size_t skippedObjects = 0;
    std::vector<std::string> losses;  // "2 objects of face Front", "part of face Left", ...
    std::size_t damageOffset = 0;     // byte of the first word that differed
    bool Incomplete() const noexcept { return !losses.empty(); }
};

// The reader of pictures kept as SVG or PDF artwork (picture records of
// version 2), beside the record versions of app/FaceObjects.h.
constexpr std::uint32_t kReaderVersionVectorArt = 212;
// The reader of products with a printed back face (side "B"): an older
// program would keep the side but never show or print it.
constexpr std::uint32_t kReaderVersionBackFace = 213;

class CProjectFile {
public:
    // Signature words, in file order.
    static constexpr std::uint32_t kSignature[4] = {0x89878820u, 0x89949220u, 0xC00E0000u, 0xFAC10740u};
    // Versions written: a file whose objects every reader of the first format
    // reads names 2.00 as its oldest reader and 2.10 as its writer; a file
    // holding newer records names the version they need as both.
    static constexpr std::uint32_t kOldestReader = kReaderVersionFirst;
    static constexpr std::uint32_t kWriterVersion = 210;
    static constexpr const char* kOldestReaderText = "2.00";
    static constexpr const char* kWriterVersionText = "2.10";
    // Whether this program reads a file that names `oldest` as its oldest
    // reader: those of the first format, and the numbers of the records this
    // program added (an unknown number in between is some other program's).
    static constexpr bool IsReadableVersion(std::uint32_t oldest)
    {
        return oldest <= kOldestReader || oldest == kReaderVersionBarcodeKinds || oldest == kReaderVersionVectorArt ||
               oldest == kReaderVersionBackFace;
    }
    // "2.11" for 211.
    static std::string VersionText(std::uint32_t version);

    // Markers.
    static constexpr std::uint32_t kDefaultsBegin = 0x15031969u, kDefaultsEnd = 0x09041940u;
    static constexpr std::uint32_t kLayoutBegin = 0x54A14145u, kLayoutEnd = 0x956421A7u;
    static constexpr std::uint32_t kListBegin = 0x51DE51DEu, kListEnd = 0xED15ED15u;
    static constexpr std::uint32_t kObjectBegin = 0x5100EB14u, kObjectEnd = 0xABCDEF47u;
    static constexpr std::uint32_t kSettingsBegin = 0xA1141B01u, kSettingsEnd = 0x04A61C11u;
    static constexpr std::uint32_t kTableBegin = 0x4A74A61Cu, kTableEnd = 0xCA4C410Eu;
    static constexpr std::uint32_t kSideListBegin = 0xCA5A407Au, kProductEnd = 0x51484504u;
    static constexpr std::uint32_t kSideBegin = 0xFEEDBAC7u, kSideEnd = 0x7CABDEEFu;
    static constexpr std::uint32_t kSideBlockBegin = 0x87654321u, kSideBlockEnd = 0xFEDCBA90u;
    static constexpr std::uint32_t kPictureBegin = 0x12345678u, kPictureEnd = 0x90ABCDEFu;
    // After a side's pictures (files of version kReaderVersionVectorArt): the
    // vector artwork its first picture is drawn from, in place of its pixels.
    static constexpr std::uint32_t kSideArtBegin = 0x56415254u, kSideArtEnd = 0x54524156u;

    static constexpr const char* kNotAProject = "This file is not a Vantorel project.";
    static constexpr const char* kDamaged = "This project file is damaged or incomplete.";
    static constexpr const char* kOutOfMemory = "Out of memory";

    // Outcome of reading one block.
    enum class ReadResult {
        Ok,       // read whole
        Stopped,  // a marker differed: the block ends quietly, what was read stays
        Failed,   // data ran out, a size did not fit, or memory ran out: `error` says which
    };

    // ---- whole documents ------------------------------------------------------------
    // Writes the document's stream. False (with `error`) when an object cannot be written.
    static bool Write(const CVtwinDoc& doc, CArchiveWriter& out, std::string& error);
    // Reads a stream into `content`. False with `error` for a refused or
    // unreadable file. `report`, when given, receives what was left out.
    static bool Read(CVtwinDoc& doc, const std::uint8_t* data, std::size_t size, CDocContent& content,
                     std::string& error, SReadReport* report = nullptr);
    // The signature and versions at the start of a stream; false with the refusal.
    static bool ReadHead(CArchiveReader& in, std::string& error);
    // Messages about a read: objects left out; a file read only in part
    // (`name` as the user knows it; `openedAsCopy` when it was opened anyway);
    // a file without a product where one is needed.
    static std::string SkippedObjectsNote(std::size_t count);
    static std::string IncompleteMessage(const std::string& name, const SReadReport& report, bool openedAsCopy);
    static std::string NoProductMessage(const std::string& path);
    // File level: save through a temporary file renamed over `path` (see
    // WriteFileAtomically), showing a failure through the document's message
    // sink; load the bytes of a project file, false with the message to show.
    static bool Save(CVtwinDoc& doc, const std::string& path);
    static bool Load(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& message);
    // Whether `path` is a regular file that begins with the project signature.
    static bool HoldsProject(const std::string& path);
    // A whole file of at most 4 GB (undo snapshots).
    static bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);
    // Reads the head first and refuses (`refused` set, `error` the message) a
    // file that is not a readable project before reading the rest in pieces.
    static bool ReadProjectBytes(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error,
                                 bool& refused);

    // ---- pieces shared with undo snapshots -------------------------------------------
    static void WriteSettings(CArchiveWriter& out, const SettingStore& store);
    // Clears `store` and fills it from the block.
    static ReadResult ReadSettings(CArchiveReader& in, SettingStore& store, std::string& error);
    // The side block: marker, settings, has-first / has-second picture, the
    // pictures, marker. `key` decides whether the first picture keeps its pixels.
    static void WriteSideBlock(CArchiveWriter& out, std::string_view key, const CSide& side);
    // Replaces the side's settings and pictures. A first picture that was not
    // stored is rebuilt from the settings.
    static ReadResult ReadSideBlock(CArchiveReader& in, CSide& side, std::string& error);
    // `picture` may be null: written as an empty size without pixels.
    static void WritePicture(CArchiveWriter& out, const CRaster* picture, bool withPixels);
    // An empty stored size yields no picture; a size without pixels a white picture.
    static ReadResult ReadPicture(CArchiveReader& in, std::unique_ptr<CRaster>& picture, std::string& error);

    // Bytes of picture memory one read may create (pixel data a file cannot
    // back, such as pictures stored by size only or rebuilt from settings,
    // would otherwise let a small file ask for any amount). Process-wide.
    static void SetPictureBudget(std::size_t bytes) noexcept;
    static std::size_t GetPictureBudget() noexcept;

    // Whether a side of `key` stores its first picture with pixels.
    static bool KeepsFirstPixels(std::string_view key) noexcept;
    // Whether a side with this appearance type stores its first picture at all.
    static bool StoresFirstPicture(std::int32_t appearanceType) noexcept;
};
