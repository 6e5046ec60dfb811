#include "database/dbDatabase.h"

CdbDatabase::CdbDatabase()
{
    m_nDefaultType = dbOpenDynaset;
}

QString CdbDatabase::GetDefaultSQL()
{
    return QStringLiteral(
        "[AnatomicRegionSequence],[Equipment],[ImgInfo],[Network],[Operator],[PatInfo],"
        "[Physician],[SerInfo],[SOP],[StuInfo],[tBS],[tEC],[tEP],[tMT],[tVA],[tVP],[tOCS],"
        "[ViewCodeSequence],[Worklist],[WorklistOCS],[PatientOrientationSequence],[tLine],"
        "[tAPR],[tAPRIndex]");
}
