#include "settings/ValueStore.h"

namespace netpeek {

void MoveValues(ValueStore& from, ValueStore& to) {
    const std::vector<StoredValue> values = from.Values();
    // A target that could not take them all is not read while the source is there: what it did
    // take does no harm.
    to.WriteValues(values);
    try {
        from.Erase(values);
    } catch (...) {
        // Half taken away: put back what went, and take the copies away, so that only the source
        // holds the values, as before.
        try {
            from.WriteValues(values);
        } catch (...) {
        }
        try {
            to.Erase(values);
        } catch (...) {
        }
        throw;
    }
}

}  // namespace netpeek
