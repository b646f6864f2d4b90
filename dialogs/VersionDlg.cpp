#include "dialogs/VersionDlg.h"
#include "res/resource.h"

CVersionDlg::CVersionDlg() : win::Dialog(IDD_VERSION) {}
