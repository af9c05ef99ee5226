#include "duplicates/TextCopy.h"

#include <algorithm>
#include <string>

#include "core/Format.h"
#include "core/MessageFile.h"
#include "duplicates/RewriteBoxes.h"
#include "platform/File.h"

namespace kestrove {

namespace {

// Texts longer than this get the Characters meter.
constexpr std::int64_t kCharacterMeterMinimum = 50000;

class Copier {
  public:
    explicit Copier(TextCopy& c)
        : c_(c), length_(c.fsize), target_(std::max<std::int64_t>(length_, 1)) {
        // The meter moves once per step + 1 bytes, about 100 times a text.
        step_ = (length_ + 99) / 100;
    }

    CopyResult Run() {
        // Once per text: built without printf, which would cost more than
        // copying a short text.
        c_.port.SetStatus(StatusLine::LabelInfoMsg3,
                          "Copying " + std::to_string(length_) + " characters.", true);
        c_.port.SetMeter(Meter::ProgressBar1, 0);
        for (;;) {
            // Copy counted bytes: the first `fsize` of them (at least one),
            // later one at a time.
            switch (CopyCounted(std::max(target_, copied_ + 1))) {
                case Counted::EndOfFile:
                    return CopyResult::Finished;
                case Counted::RunEnds:
                    return CopyResult::RunEnds;
                case Counted::WriteFailed:
                    return CopyResult::WriteFailed;
                case Counted::ReadFailed:
                    c_.readErrorAt = c_.in.Tell();
                    return CopyResult::ReadFailed;
                case Counted::Done:
                    break;
            }
            LogEnd();
            if (last_ == kCtrlZ)
                return CopyResult::Finished;

            // The Ctrl-Z may follow the text's bytes.
            int extra = c_.in.ReadByte();
            if (extra < 0) {
                const bool failed = c_.in.ReadFailed();
                if (!Ask(rewrite_box::CannotGetChar(c_.fpos, copied_, c_.messagePath)))
                    return CopyResult::RunEnds;
                // The text ends here, as at the end of the file; a byte
                // that could not be read is not tried again.
                if (failed)
                    return CopyResult::Finished;
                continue;  // the next read meets the end of the file
            }
            LogEnd();
            auto byte = static_cast<std::uint8_t>(extra);
            if (!c_.out.WriteByte(byte)) {
                if (c_.out.HasRefusedBytes())
                    return CopyResult::WriteFailed;
                if (!Ask(CannotPut(true, byte)))
                    return CopyResult::RunEnds;
                continue;  // the byte is dropped
            }
            ++*c_.outPosition;
            LogEnd();
            if (byte == kCtrlZ)
                return CopyResult::Finished;
            if (!Ask(rewrite_box::NoCtrlZ(c_.fpos, copied_, c_.messagePath)))
                return CopyResult::RunEnds;
        }
    }

  private:
    enum class Counted { Done, EndOfFile, RunEnds, WriteFailed, ReadFailed };

    // Copies until `goal` bytes of the text have been written, or the old
    // file ends. A byte that cannot be written is put to the user; OK drops
    // it, and it does not count. A failure that cannot be pinned to one byte
    // (a refused flush, a read error) ends the copy.
    Counted CopyCounted(std::int64_t goal) {
        std::uint8_t* buf = c_.buffer.data();
        while (copied_ < goal) {
            auto want = static_cast<std::size_t>(std::min<std::int64_t>(
                static_cast<std::int64_t>(c_.buffer.size()), goal - copied_));
            std::size_t got = c_.in.Read(buf, want);
            // The bytes read before an error are copied first.
            const bool readFailed = c_.in.ReadFailed();
            if (got == 0)
                return readFailed ? Counted::ReadFailed : Counted::EndOfFile;
            std::size_t done = 0;
            while (done < got) {
                std::size_t accepted = WriteSome(c_.out, buf + done, got - done, *c_.outPosition);
                if (accepted < got - done && c_.out.HasRefusedBytes())
                    return Counted::WriteFailed;
                if (accepted > 0) {
                    Count(static_cast<std::int64_t>(accepted));
                    last_ = buf[done + accepted - 1];
                    done += accepted;
                }
                if (done < got) {
                    if (!Ask(CannotPut(false, buf[done])))
                        return Counted::RunEnds;
                    ++done;  // dropped
                }
            }
            if (readFailed)
                return Counted::ReadFailed;
        }
        return Counted::Done;
    }

    // Counts written bytes and moves the Characters meter for long texts.
    void Count(std::int64_t bytes) {
        *c_.outPosition += bytes;
        if (length_ <= kCharacterMeterMinimum) {
            copied_ += bytes;
            return;
        }
        const std::int64_t period = step_ + 1;
        while (meterCounter_ + bytes >= period) {
            std::int64_t take = period - meterCounter_;
            copied_ += take;
            bytes -= take;
            meterCounter_ = 0;
            c_.port.SetMeter(Meter::ProgressBar1, static_cast<int>(std::min<std::int64_t>(
                                                      copied_ * 100 / length_, 100)));
        }
        copied_ += bytes;
        meterCounter_ += bytes;
    }

    rewrite_box::Box CannotPut(bool extraByte, std::uint8_t byte) const {
        return rewrite_box::CannotPut(extraByte, byte, c_.fpos, copied_, c_.messagePath,
                                      platform::LastErrorText());
    }

    // OK goes on; Cancel ends the run.
    bool Ask(const rewrite_box::Box& box) { return rewrite_box::GoesOn(c_.port, c_.log, box); }

    void LogEnd() {
        if (c_.log.IsOpen())
            c_.log.Write(Format("End of message %d at ~%lld\n", c_.messageNumber,
                                static_cast<long long>(*c_.outPosition)));
    }

    TextCopy& c_;
    const std::int64_t length_;  // fsize, as signed
    const std::int64_t target_;  // bytes copied before the Ctrl-Z test
    std::int64_t step_ = 0;
    std::int64_t meterCounter_ = 0;
    std::int64_t copied_ = 0;  // bytes of this text written and counted
    int last_ = -1;            // the last counted byte
};

}  // namespace

std::size_t WriteSome(platform::File& out, const std::uint8_t* data, std::size_t n,
                      std::int64_t before) {
    if (out.Write(data, n))
        return n;
    // A failed write may have put the bytes before the failing one; the
    // position says how many. Never report the whole block as written.
    const std::int64_t after = out.Tell();
    if (after <= before)
        return 0;
    return static_cast<std::size_t>(std::min<std::int64_t>(after - before, std::int64_t(n) - 1));
}

CopyResult CopyText(TextCopy& copy) {
    return Copier(copy).Run();
}

}  // namespace kestrove
