#pragma once
// Watching the address table into a file of metrics that a collector reads at any moment: the whole
// text written anew at the start and after every read that changed what it says, so that whoever
// reads the file finds the last whole text, never a part of one.

#include <windows.h>

#include <cstdint>
#include <string>

#include "commandline/Watch.h"
#include "export/MetricsText.h"
#include "feed/TableFeed.h"
#include "feed/TableSources.h"
#include "settings/Settings.h"

namespace netpeek {

class MetricsWatch {
public:
    // Reads the table with that choice, whose extra columns must be kMetricsExtras. Raises the read's
    // error when the table cannot be read. `services` must outlive the watch.
    MetricsWatch(const TableSources& services, ViewChoice choice);

    // The first read's metrics to `sink`, which takes each whole text (a file through the safe writer,
    // or standard output); later texts go to the same sink.
    void Start(WatchSink sink);
    // Reads the table again and, where what the metrics say changed, gives the sink the whole text;
    // nothing for a read that changed nothing or failed. A text that could not be written because a
    // reader holds the file (a collector's scrape) is written at the next re-read, the file meanwhile
    // whole as it was; any other failure of the sink is raised. Answers the read's milliseconds.
    ULONGLONG Reread();

    const ViewChoice& Choice() const { return m_choice; }

private:
    void Write();

    const TableSources& m_services;
    ViewChoice m_choice;
    TableFeed m_feed;
    WatchCounts m_counts;
    std::wstring m_written;  // the text the sink last took
    bool m_due = false;      // a read changed the table since the sink last took a text
    WatchSink m_sink;
};

}  // namespace netpeek
