#ifndef MESSAGE_CODES_H
#define MESSAGE_CODES_H

#include <SupportDefs.h>

#include "ReaderProtocol.h"

// The codes the main window and the application send and handle. The meal
// list's click 'mOrd' is the list's own (kMsgMouseOrder in TLinkView.h).

// The buttons of the main screen
const uint32 kMsgShowInfo = 'sInf';
const uint32 kMsgLogin = 'mloi';
const uint32 kMsgSaveOrders = 'osav';
const uint32 kMsgCloseWeek = 'oclo';
const uint32 kMsgConfigWindow = 'CWop';
const uint32 kMsgResume = 'osuA';
const uint32 kMsgMealStats = 'osuB';
const uint32 kMsgPersonStats = 'osuC';
const uint32 kMsgOpenPdf = 'opdf';

// The calendar-week menu: a week's menu file ("_fpath"), or no menu at all
const uint32 kMsgLoadWeek = 'cvLD';
const uint32 kMsgNoMenu = 'c---';

// The reader companion's tag reports 'RFID' and our request 'sRFT' for one
// tag are in ReaderProtocol.h.

// The tag entry box, and other programs that fill it
const uint32 kMsgTagSet = 'iDHs';
const uint32 kMsgTagPut = 'iDHp';
const uint32 kMsgTagSave = 'iDHS';
const uint32 kMsgTagConfirm = 'iDHn';
const uint32 kMsgTagOpen = 'iDHo';
const uint32 kMsgShowPerson = 'iDHL';

// Reports of the secondary windows, and requests of other programs
const uint32 kMsgLayoutAgain = 'Msho';
const uint32 kMsgConfigClosed = 'CWcl';
const uint32 kMsgResultClosed = 'RWcl';
const uint32 kMsgReloadPrefs = 'rPrf';
const uint32 kMsgOkay = 'okok';
const uint32 kMsgTick = 'TICK';
// Time to look whether another program saved or closed the week.
const uint32 kMsgLookAtOrderFile = 'oLok';
// Time to look which days the order deadlines have closed.
const uint32 kMsgLookAtDeadlines = 'dLok';
// The window's own limit for the wait for a tag has passed.
const uint32 kMsgTagWaitOver = 'tgWo';
// An older key-down code that still turns up; it means nothing to us.
const uint32 kMsgOldKeyDown = '_KDN';

#endif // MESSAGE_CODES_H
