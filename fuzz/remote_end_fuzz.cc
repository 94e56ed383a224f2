// The remote end's reader of the window's messages (remote/remoteendlink.h)
// on arbitrary bytes: whatever arrives on standard input is read this way.
// Beyond not crashing it checks that the bytes held back stay bounded and
// that the messages taken do not depend on how the bytes were split.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/check.h"
#include "remote/remoteendlink.h"

namespace {

// Each message as its kind and its parameters streamed again.
std::vector<std::string> TakeAll(CRemoteMessageReader& reader) {
    std::vector<std::string> taken;
    CRemoteMessageReader::Kind kind;
    CParameterList params;
    while (reader.Next(kind, params)) {
        std::string one(1, kind == CRemoteMessageReader::Kind::Event ? 'E' : 'R');
        params.Stream(one);
        if (kind == CRemoteMessageReader::Kind::Event) {
            CConsole::TEvent event;
            if (EventFromParameters(params, event)) one += '+';
        }
        taken.push_back(std::move(one));
    }
    fuzz_check(reader.Pending() <= CRemoteMessageReader::kMessageLimit, "the reader holds back too much");
    return taken;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte chooses the size of the pieces the rest arrives in.
    const size_t piece = 1 + data[0] % 64;
    data++;
    size--;

    CRemoteMessageReader whole;
    whole.Feed(data, size);
    std::vector<std::string> at_once = TakeAll(whole);

    CRemoteMessageReader split;
    std::vector<std::string> in_pieces;
    for (size_t at = 0; at < size; at += piece) {
        split.Feed(data + at, std::min(piece, size - at));
        for (std::string& one : TakeAll(split)) in_pieces.push_back(std::move(one));
    }
    fuzz_check(in_pieces == at_once, "the messages depend on how the bytes were split");
    fuzz_check(split.Pending() == whole.Pending(), "split bytes leave another remainder");
    return 0;
}
