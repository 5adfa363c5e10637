// Recurring appointments: the dates of a series and the table work that
// writes its members or removes them.
//
// A series is not stored as a rule. Each member is an ordinary appointment
// of TERMIN.DBF; the members share one series number in WTERMIN (0: no
// series). The routines open their own datasets on the tables of the data
// directory, so a filter shown in a window neither hides taken dates nor
// spares members from deletion.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

namespace series {

// The interval units, in the order of their names in the language file.
enum class Unit { None = -1, Day = 0, Week = 1, Month = 2, Year = 3 };

// The four unit names: the lines of `text`, German defaults where it has
// fewer than four.
QStringList unitNames(const QString &text);

// `date` moved by `months` calendar months with the same day of the month;
// a day the target month lacks becomes its last day (31 January + 1 month:
// the last day of February).
QDate AddMonths(const QDate &date, int months);

// The next date of a series: `count` days, `count` weeks, `count` months,
// or one year whatever `count` is.
QDate advance(const QDate &date, Unit unit, int count);

// The end of a series that lasts `count` units from `start`; with no unit
// the start itself.
QDate durationEnd(const QDate &start, Unit unit, int count);

struct Plan {
    QDate from;
    QDate to;
    Unit unit = Unit::None;
    int count = 0;
    bool weekends = true; // false: no members on Saturdays and Sundays
};

// True when the plan's dates advance: a unit and a count of at least 1.
bool isValid(const Plan &plan);

// The dates from `from` to `to` (both included) at the plan's interval;
// empty for a plan that is not valid.
std::vector<QDate> datesOf(const Plan &plan);

// What every member copies from the appointment the series is made from.
struct Appointment {
    QString zeit;
    QString ezeit;
    QString termin;
    QString notiz;
    QString telnu;
    QString note; // text of each member's notes record; empty: empty notes
};

// Writes one appointment with `series` in WTERMIN for every date of `plan`
// on which TERMIN.DBF in `dataDir` holds no appointment yet (of any series
// or none). Each member gets its own key and notes record. Returns the
// number written. A failure leaves every member written so far complete
// and nothing half-written, and passes on; running the plan again adds
// only the dates still missing.
int generate(const QString &dataDir, const Plan &plan, const Appointment &from, long series);

// The same for the given dates (a recurrence read from a file): a member
// for every date that holds no appointment yet.
int generate(const QString &dataDir, const std::vector<QDate> &dates, const Appointment &from, long series);

// Deletes every appointment of the whole table whose WTERMIN is `series`;
// returns how many. A series number of 0 or less deletes nothing. Notes
// records stay.
int deleteSeries(const QString &dataDir, long series);

// A series number from 1 to 29999 that no appointment of the table carries
// yet (the largest in use plus one when the random choices keep meeting
// numbers in use).
long newSeriesNumber(const QString &dataDir);

} // namespace series
