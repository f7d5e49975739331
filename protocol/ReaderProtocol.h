#ifndef READER_PROTOCOL_H
#define READER_PROTOCOL_H

#include <stddef.h>

#include <SupportDefs.h>

// What the reader companion (Brindel) and Vantuk say to each other. Both
// programs are kit applications that reach each other by signature.
//
// The companion tells Vantuk where to reach it with an 'RFID' message that
// carries its messenger ("_f2CallMe"). When a person presses " Login",
// Vantuk sends 'sRFT' ("_NeedTagQuantitys" 1, "_AppTarget"
// "VantukApplication"); the companion answers with 'RFID' "_fMes"
// "VantukApplication" (it waits for a tag), then either "_spTarget" with
// the tag in "_tagstr", or "_fMes" with a text holding "TIMEOUT". A tag
// read while nobody asked goes to Vantuk in "_tagstr" alone.

const char* const kCompanionSignature = "application/x-vnd.Orv-Brindel";
// The companion's tray item: while it is installed, the companion runs.
const char* const kCompanionTrayItem = "BrindelView";
// Vantuk's own signature, and the name it gives itself in its requests.
const char* const kVantukSignature = "application/Vantuk";
const char* const kVantukTargetName = "VantukApplication";

// The companion's reports, and Vantuk's request for one tag.
const uint32 kMsgRfid = 'RFID';
const uint32 kMsgTagRequest = 'sRFT';

// The fields of the report.
const char* const kFieldCallMe = "_f2CallMe";
const char* const kFieldStatus = "_fMes";
const char* const kFieldTarget = "_spTarget";
const char* const kFieldCounter = "_spCounter";
const char* const kFieldTag = "_tagstr";
// With the echo: how many seconds the companion waits for the tag, so that
// Vantuk's own limit for the wait can lie beyond it (a double).
const char* const kFieldWaitSeconds = "_waitSecs";
// The fields of the request.
const char* const kFieldQuantity = "_NeedTagQuantitys";
const char* const kFieldAppTarget = "_AppTarget";

// A status text holding this says that no tag came in time.
const char* const kTimeoutMark = "TIMEOUT";

// The longest tag that is passed on, in bytes; a longer one is cut.
const size_t kMaxTagLength = 64;

#endif // READER_PROTOCOL_H
