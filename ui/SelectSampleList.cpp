#include "ui/SelectSampleList.h"

#include "platform/FileDialog.h"

namespace ui::detail
{
tag_SELECT_DATATYPE defaultListType()
{
    return {"Kelvane 3.x (*.SPL)|*.spl|", "spl", 1, "", ""};
}
} // namespace ui::detail

int SelectSampleList(CWnd* pRefresh, CString& path, tag_SELECT_DATATYPE& type, const CString& title)
{
    try
    {
        // What an empty path is seeded with only starts the dialog: the caller's path and type
        // change when, and only when, the user chooses a file.
        CString initial = path;
        tag_SELECT_DATATYPE initialType = type;
        if (initial.IsEmpty())
        {
            tag_HXFILE record;
            GetSystemListValue("SystemList", "SAMPLES_DB", 0, &record);
            char converted[MAX_PATH] = {};
            const int whole = ConvertHxFileToPath(converted, MAX_PATH, &record);
            converted[MAX_PATH - 1] = '\0';
            // A path the buffer had to cut would name some other file; start from the pattern.
            initial = !record.FileName().IsEmpty() && whole ? CString(converted) : CString("*.spl");
            initialType = ui::detail::defaultListType();
        }

        const CString filter = CSelectFileDialog::StringFromIndices(CSelectLIMSFileDialog::m_DataTypeIndices,
                                                                    CSelectLIMSFileDialog::m_nDataTypeIndices);
        CSelectLIMSFileDialog dialog(
            TRUE, "XLS", initial,
            OFN_LONGNAMES | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, filter, nullptr);
        dialog.SetTitle(title);
        dialog.SetDataType("");
        dialog.SetDataType(initialType.lpszDefExt);
        if (dialog.DoModal() != host::kDialogOk)
            return 0;

        const CString chosen = dialog.GetPathName();
        const tag_SELECT_DATATYPE chosenType = dialog.GetDataType();
        path = chosen;
        type = chosenType;
        if (pRefresh)
            pRefresh->UpdateData(FALSE);
        return 1;
    }
    catch (...)
    {
        return 0;
    }
}
