// The two commands of the music window's CDDB page: reading a disc for a
// CDDB request, and the run that asks the server about every waiting disc.
//
// List files in the data directory (CR LF lines):
//   CDDB-in.Lst   the waiting list (CddbWaitingList)
//   CDDB-out.Lst  the raw answers of the last run: per disc the query answer
//                 and a CR LF, then, when a read followed, the read answer
//                 and a CR LF; answers as received, HTTP header included
//   CDDB-x.Lst    the last read answer after a line "[ThisCD]"
#pragma once

#include "media/CddbRequest.h"

#include <QObject>

namespace media {

class CdAudioDevice;
class CddbRunView;
class CddbStore;
class CddbWaitingList;
class tMyPutter;

inline constexpr char kCddbOutFile[] = "CDDB-out.Lst";
inline constexpr char kCddbAnswerFile[] = "CDDB-x.Lst";

enum class ReadCdResult { Added, AlreadyListed, ReadError, DataCd };

// Reads the disc in `device` for a CDDB request: appends one prepared row
// per track to the store (also when the disc is already waiting), and the
// disc's query line to the waiting list unless it is there. Tells the user
// through `view` about a read error, a data CD (a disc of one track) or a
// disc already waiting. Throws what the store or the list throws.
ReadCdResult readCdForCddb(CdAudioDevice &device, CddbWaitingList &list, CddbStore &store, CddbRunView &view);

// One run over the waiting list, from its last entry to its first. Over
// HTTP each disc is queried, a match is chosen, its entry read, shown and,
// when the user confirms, taken over into the store (transferToCollection);
// over cddbp only the server's greeting is shown. Handled entries leave the
// list. The run ends early, with "Unknown Server Type", when a query brings
// no usable answer (no answer, a time-out, a refusal, no match); the
// message "CDDB request finished successfully !" comes only after a run
// that handled every entry.
class CddbRun {
public:
    // Everything given must outlive the run.
    CddbRun(CddbSettings settings, CddbWaitingList &list, CddbStore &store, CddbRunView &view);
    ~CddbRun();
    CddbRun(const CddbRun &) = delete;
    CddbRun &operator=(const CddbRun &) = delete;

    // Runs the whole run on the calling (user-interface) thread, handling
    // the window's events while it waits. Returns false when the run ended
    // early, did not start (no "CDDB-in.Lst") or another run is in progress
    // (the window's event handling may try to start one; only one request
    // is ever in flight). Throws std::runtime_error naming a list file that
    // cannot be written, and what the store throws; the status label and
    // the gauge are hidden again in every case.
    bool execute();

    static bool inProgress();

private:
    enum class Outcome { Handled, Stop };
    Outcome httpEntry(const QString &queryLine);
    void cddbpEntry();
    QByteArray request(const QByteArray &text);
    void appendOut(const QByteArray &answer);

    CddbSettings m_settings;
    CddbWaitingList &m_list;
    CddbStore &m_store;
    CddbRunView &m_view;
    std::unique_ptr<tMyPutter> m_putter;
};

} // namespace media
