// iCalendar files (RFC 5545) of appointments, read and written with libical.
//
// An appointment is one VEVENT: DTSTART and DTEND as floating local times
// (a DATE when the appointment has no start time), SUMMARY the text,
// COMMENT the short note, CONTACT the telephone number, DESCRIPTION the
// note. A series whose members keep one interval (days, weeks, months or
// years; dates that held another appointment left out) and share their
// texts becomes one event with an RRULE and EXDATEs for the dates left out;
// every other appointment is a single event.
#pragma once

#include "storage/exchange/Exchange.h"

#include <QByteArray>

namespace ical {

// `appointments` hold TERMIN fields by name and their notes.
QByteArray writeAppointments(const std::vector<exchange::Record> &appointments);

// Every VEVENT of a file: a single appointment, or one with Record::dates
// for a recurrence (RRULE, RDATE, EXDATE; a changed occurrence becomes a
// single appointment of its own). Times with a time zone or in UTC are
// turned into local time. A recurrence without end is expanded up to ten
// years after today (or after its start, when that is later) and reported.
exchange::Parsed readAppointments(const QByteArray &bytes, const QDate &today = QDate::currentDate());

} // namespace ical
