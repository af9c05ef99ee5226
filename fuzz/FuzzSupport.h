#pragma once
// What the fuzz targets share: reading the fuzzer's bytes as options and
// files, a scratch directory on drive D: (and one on E: for logs), a window
// port that answers boxes from the input, and a check that stops the fuzzer
// with a message when an oracle fails.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/IndexRecord.h"
#include "core/WindowPort.h"
#include "tests/support/TempDir.h"

namespace kestrove::fuzz {

using Bytes = std::vector<std::uint8_t>;

// Stops the run (a crash for libFuzzer) with `what` when `ok` is false.
void Check(bool ok, const char* what);
void Check(bool ok, const std::string& what);

// The fuzzer's input, consumed from the front. Past the end every read
// gives zeros and empty runs.
class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t U8();
    std::uint16_t U16();
    std::uint32_t U32();
    // A run of n bytes (fewer at the end).
    Bytes Take(std::size_t n);
    // A file: a 16-bit length, then that many bytes.
    Bytes File() { return Take(U16()); }
    Bytes Rest() { return Take(size_ - pos_); }
    bool Empty() const { return pos_ >= size_; }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// The inverse of Input, for the seeds.
class Output {
  public:
    Output& U8(std::uint8_t v);
    Output& U16(std::uint16_t v);
    Output& U32(std::uint32_t v);
    Output& Raw(const Bytes& bytes);
    Output& Raw(std::string_view bytes);
    Output& File(const Bytes& bytes);  // cut to 65535 bytes
    const Bytes& bytes() const { return bytes_; }

  private:
    Bytes bytes_;
};

// The duplicate rule, restated plainly for the oracles.
//
// A record's stored text in `pmm` when it can be read whole: from its fpos
// the first max(fsize, 1) bytes when the last of them is a Ctrl-Z, else one
// byte more when that one is; nothing otherwise.
std::optional<Bytes> StoredText(const Bytes& pmm, const IndexRecord& record);
// Slot `i` of `table` is dropped as a duplicate: its fields repeat those of
// slot i - 1, which is not deleted, and both texts are whole and the same.
bool DuplicateOfAbove(const MessageTable& table, int i, const Bytes& pmm);

// The scratch directories, made once per process and emptied per input.
struct Scratch {
    kestrove::testing::TempDir folder{'D'};
    kestrove::testing::TempDir logs{'E'};
    // Removes every file of both directories.
    void Clear();
    // The files of the folder directory by name, with their bytes.
    std::map<std::string, Bytes> Snapshot() const;
    // Writes a file of the folder directory (behind the engine's back).
    void Put(const std::string& name, const Bytes& bytes) const;
};
Scratch& TheScratch();

// Answers each box from a script of 2-bit choices taken in turn: OK boxes
// get OK; OK/Cancel boxes OK unless the choice is 3; Yes/No/Cancel boxes
// Yes, No or Cancel (choice 0 and 3 both Yes). So an all-zero script goes
// on everywhere.
class ScriptPort : public WindowPort {
  public:
    explicit ScriptPort(std::uint32_t script) : script_(script) {}

    std::vector<std::string> titles;  // of every box, in order
    int pumps = 0;

    Answer MessageDialog(const std::string& text, const std::string& title, Icon icon,
                         Buttons buttons, DefaultButton byDefault = DefaultButton::First) override;
    void SetStatus(StatusLine, const std::string&, bool) override {}
    void SetCountLabel(CountLabel, const std::string&) override {}
    void SetMeter(Meter, int percent) override;
    void ShowMeter(Meter, bool) override {}
    void ShowAbort(bool) override {}
    void ListChanged(ListId) override {}
    void HighlightEntry(ListId, int) override {}
    void ShowList(ListId, bool) override {}
    void SplitSelectedLists() override {}
    void RestoreSelectedLists() override {}
    void ProcessEvents() override { ++pumps; }
    std::optional<SaveChoice> ChooseSaveFile(std::string_view, const std::string&) override {
        return {};
    }
    std::optional<std::string> ChooseDirectory(const std::string&) override { return {}; }

  private:
    std::uint32_t script_;
    int used_ = 0;
};

}  // namespace kestrove::fuzz
