#include "dialogs/OptionDlg.h"
#include "res/resource.h"

COptionDlg::COptionDlg() : win::Dialog(IDD_OPTION) {}
