#include "ModalResponder.h"

#include <atomic>



namespace {

std::atomic<BPrivate::ModalResponder*> gResponder(NULL);

} // namespace


namespace BPrivate {

ModalResponder::~ModalResponder()
{
}


int32
ModalResponder::AlertGo(const char*, const char*, int32, const char* const*, alert_type)
{
	return 0;
}


int32
ModalResponder::PopUpGo(const char* const*, int32, BPoint)
{
	return -1;
}


status_t
ModalResponder::PageSetup(BMessage*)
{
	return B_OK;
}


status_t
ModalResponder::PrintDialog(BMessage*)
{
	return B_OK;
}


void
SetModalResponder(ModalResponder* responder)
{
	gResponder.store(responder);
}


ModalResponder*
CurrentModalResponder()
{
	return gResponder.load();
}


} // namespace BPrivate
