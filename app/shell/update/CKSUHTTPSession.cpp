#include "app/shell/update/CKSUHTTPSession.h"

CKSUHTTPSession::~CKSUHTTPSession()
{
    SetHTTPCallbacks(tHTTPCallbacks());
}
