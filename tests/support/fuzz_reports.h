// Delivery of input reports to a panel's decoder in the input fuzz targets.
// A report that arrives while a handler runs waits in the decoder's queue;
// when that queue is full it is dropped and counted. So each report sent
// is either decoded later, in arrival order (it waits in `sent` until the
// decoder's RawInput takes it from the front), or dropped at once, and only
// when the queue holds `capacity` reports already.
#pragma once

#include "tests/support/fuzz_input.h"

#include <cstddef>
#include <deque>

namespace orvex::fuzzing {

// `duringHandler`: the report arrives while a handler runs (else it is
// handled at once, and reports arriving meanwhile count their own drops).
template <class Decoder, class Report>
void DeliverReport(Decoder& decoder, std::deque<Report>& sent, const Report& report, std::size_t capacity,
                   bool duringHandler) {
    const auto dropped = decoder.DroppedReports();
    sent.push_back(report);
    decoder.OnRawInput(report);
    if (!duringHandler || decoder.DroppedReports() == dropped) return;
    FUZZ_CHECK(decoder.DroppedReports() == dropped + 1 && sent.size() > capacity && sent.back() == report);
    sent.pop_back();
}

} // namespace orvex::fuzzing
