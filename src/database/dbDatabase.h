#pragma once

// The recordset class of the acquisition application's image database: its
// default query names every table of the database. Fields are not bound;
// values are read and written by column name.
#include "database/GMDaoRecordset.h"

class CdbDatabase : public CGMDaoRecordset
{
public:
    CdbDatabase();

    QString GetDefaultSQL() override;
};
