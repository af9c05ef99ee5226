// Opens a view of a 35,000-record index and reads every cell once, as a
// window scrolling through the whole grid would.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/BenchPort.h"
#include "reports/IndexViewer.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/TempDir.h"

using namespace kestrove;

namespace {

std::vector<std::uint8_t> MakeIndex(int records) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(records) * kRecordSize, 0);
    for (int i = 0; i < records; ++i) {
        IndexRecord r;
        r.set_flags(static_cast<std::uint32_t>(i) * 2654435761u);
        r.set_fpos(128u + static_cast<std::uint32_t>(i) * 1000u);
        r.set_msg_number(static_cast<std::uint16_t>(i));
        r.set_mtime(1700000000 + i / 3);  // runs of equal times, some dupes
        r.set_fsize(1000 + i % 7);
        auto put = [&](std::size_t at, std::size_t width, const std::string& text) {
            std::memcpy(&r.bytes[at], text.data(), std::min(width, text.size()));
        };
        put(rec::kFname, rec::kFnameWidth, "MSG" + std::to_string(i) + ".CNM");
        put(rec::kFrom, rec::kFromWidth, "sender" + std::to_string(i % 500) + "@example.com");
        put(rec::kSubject, rec::kSubjectWidth, "A subject line that fills its field");
        put(rec::kDate, rec::kDateWidth, "Mon, 1 Jan 2024");
        r.bytes[rec::kColor] = static_cast<std::uint8_t>(i % 40);
        std::memcpy(&bytes[static_cast<std::size_t>(i) * kRecordSize], r.bytes.data(), kRecordSize);
    }
    return bytes;
}

}  // namespace

int main() {
    testing::TempDir dir('D');
    const std::string index = dir / "BIG.PMI";
    if (!testing::FolderBuilder().Write(index) ||
        !testing::WriteFileBytes(index, MakeIndex(MAXMSG))) {
        std::fprintf(stderr, "cannot write the index\n");
        return 1;
    }

    AppState state;
    state.ListBox1.Add(index);
    state.ListBox1.highlighted = 0;
    bench::NullPort port;
    std::vector<double> times;
    std::size_t characters = 0;
    for (int run = 0; run < 5; ++run) {
        IndexViewModel model;
        auto start = std::chrono::steady_clock::now();
        ViewResult result = ListBox1DblClick(state, port, model);
        std::string cell;
        for (int row = 0; row < model.RowCount(); ++row) {
            for (int column = 0; column < IndexViewModel::kColumns; ++column) {
                model.CellText(row, column, cell);
                characters += cell.size();
            }
            characters += static_cast<std::size_t>(model.RowColourOf(row));
        }
        auto end = std::chrono::steady_clock::now();
        if (!result.show || result.rows != MAXMSG) {
            std::fprintf(stderr, "the view did not open\n");
            return 1;
        }
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    std::printf("BENCH viewer_open_read_all %.1f ms\n", times[times.size() / 2]);
    return characters > 0 ? 0 : 1;
}
