#pragma once
#include "services/MsOfficeClass.h"

// MSEXCELCLASS: the spreadsheet program ("Excel.Application") by automation paths. Velmora's
// own object behind the name fills and formats .xlsx workbooks. Every text argument that goes
// into a path is quoted with its quotes doubled; ASSIGN writes a value as a literal (a text
// beginning with "=" stays text); a formula goes in only through ASSIGNFORMULA.
class MSEXCELCLASS : public MSOFFICECLASS {
public:
    using MSOFFICECLASS::GETALIGNMENT;
    using MSOFFICECLASS::SETALIGNMENT;

    uint8_t GETALIGNMENT() override;
    void SETALIGNMENT(uint8_t alignment) override;
    void START() override;

    virtual void ACTIVATEFILTER();
    virtual void ACTIVATEFILTER(const QString& range);
    virtual void ADDSHEET(uint8_t count);
    virtual void ASSIGN(const QString& value);
    virtual void ASSIGN(const QString& range, const QString& value);
    virtual void ASSIGN(long row, long column, const QString& value);
    virtual void AUTOFITCOLUMN();
    virtual void AUTOFITCOLUMN(const QString& column);
    virtual void AUTOFITCOLUMNBYNUMBER(long column);
    virtual void AUTOFITROW();
    virtual void AUTOFITROW(long row);
    virtual void AUTOFORMAT(uint8_t format);
    virtual void AUTOFORMAT(const QString& range, uint8_t format);
    virtual void CLOSE(uint8_t how);
    virtual void COMBINEANDCENTER(const QString& range);
    virtual void CREATEFILE();
    virtual void CREATEFILE(const QString& templatePath);
    virtual void DATALABELS(uint8_t type);
    virtual void DATASOURCE(uint8_t show);
    virtual void EXECFUNCTION(const QString& text);
    virtual void EXECFUNCTION(const QString& range, const QString& text);
    virtual void EXECFUNCTION(long row, long column, const QString& text);
    virtual uint8_t GETALIGNMENT(const QString& range);
    virtual uint8_t GETALIGNMENT(long row, long column);
    virtual long GETCOLUMNWIDTH();
    virtual long GETCOLUMNWIDTH(const QString& column);
    virtual long GETCOLUMNWIDTHBYNUMBER(long column);
    virtual long GETHALIGNMENT();
    virtual long GETHALIGNMENT(const QString& range);
    virtual long GETHALIGNMENT(long row, long column);
    virtual QString GETREGIONALSETTING(short which);
    virtual long GETROWHEIGHT();
    virtual long GETROWHEIGHT(long row);
    virtual long GETSERIESCOUNT();
    virtual long GETSHEETCOUNT();
    virtual long GETSHEETINDEX();
    virtual long GETSHEETINDEX(const QString& name);
    virtual QString GETSHEETNAME();
    virtual QString GETSHEETNAME(long n);
    virtual long GETVALIGNMENT();
    virtual long GETVALIGNMENT(const QString& range);
    virtual long GETVALIGNMENT(long row, long column);
    virtual long GETWRAPTEXT();
    virtual long GETWRAPTEXT(const QString& range);
    virtual long GETWRAPTEXT(long row, long column);
    virtual void GRAPH(short type, uint8_t where, const QString& name);
    virtual void GRAPHBACKGROUND(short a, short b, short c, short d, short e, short f);
    virtual void GRAPHFRAME(short a, short b, short c, short d, short e, short f);
    virtual void HEADERFOOTER(const QString& leftHeader, const QString& centerHeader, const QString& rightHeader,
                              const QString& leftFooter, const QString& centerFooter, const QString& rightFooter);
    virtual void INSERTCOLUMN(const QString& column);
    virtual void INSERTCOLUMNBYNUMBER(long column);
    virtual void INSERTROW(long row);
    virtual void LOCATELEGEND(short position);
    virtual void LOCATESERIE(short series, short group);
    virtual void MERGECELLS();
    virtual void MERGECELLS(const QString& range);
    virtual void OPENFILE(const QString& path);
    virtual void PAGESETUP(uint8_t paper, uint8_t orientation);
    virtual void PRINTDOC(uint8_t copies);
    virtual void PROTECTCELL(const QString& range, uint8_t locked);
    virtual void PROTECTSHEET(const QString& password);
    virtual QString READ();
    virtual QString READ(const QString& range);
    virtual QString READ(long row, long column);
    virtual void REPLACE(const QString& what, const QString& with, uint8_t unused, uint8_t mode);
    virtual void SAVE(const QString& path);
    virtual void SAVE(const QString& path, long format, const QString& a, const QString& b, uint8_t c);
    virtual void SELECT(const QString& range);
    virtual void SELECT(long row, long column);
    virtual void SELECTCOLUMN(const QString& column);
    virtual void SELECTCOLUMNBYNUMBER(long column);
    virtual void SELECTROW(long row);
    virtual void SELECTSHEET(short n);
    virtual void SELECTSHEETBYNAME(const QString& name);
    virtual void SETALIGNMENT(const QString& range, uint8_t alignment);
    virtual void SETALIGNMENT(long row, long column, uint8_t alignment);
    virtual void SETBORDER(long border, long style, long weight, long colour = -4105);
    virtual void SETBORDER(const QString& range, long border, long style, long weight, long colour = -4105);
    virtual void SETBORDERS(long style, long weight, long colour);
    virtual void SETBORDERS(const QString& range, long style, long weight, long colour);
    virtual void SETCOLUMNWIDTH(long width);
    virtual void SETCOLUMNWIDTH(const QString& column, long width);
    virtual void SETCOLUMNWIDTHBYNUMBER(long column, long width);
    virtual void SETGRAPHTITLE(const QString& title);
    virtual void SETHALIGNMENT(uint8_t alignment);
    virtual void SETHALIGNMENT(const QString& range, uint8_t alignment);
    virtual void SETHALIGNMENT(long row, long column, uint8_t alignment);
    virtual void SETMARGINS(short top, short bottom, short left, short right);
    virtual void SETMERGECELLS(uint8_t on);
    virtual void SETNUMBERFORMAT(const QString& format);
    virtual void SETNUMBERFORMAT(const QString& range, const QString& format);
    virtual void SETNUMBERFORMAT(long row, long column, const QString& format);
    virtual void SETROWHEIGHT(long height);
    virtual void SETROWHEIGHT(long row, long height);
    virtual void SETSHEETNAME(short n, const QString& name);
    virtual void SETVALIGNMENT(uint8_t alignment);
    virtual void SETVALIGNMENT(const QString& range, uint8_t alignment);
    virtual void SETVALIGNMENT(long row, long column, uint8_t alignment);
    virtual void SETWRAPTEXT(uint8_t on);
    virtual void SETWRAPTEXT(const QString& range, uint8_t on);
    virtual void SETWRAPTEXT(long row, long column, uint8_t on);
    virtual void SETXAXISTITLE(const QString& title);
    virtual void SETYAXISTITLE(const QString& title);
    virtual void SETZAXISTITLE(const QString& title);
    virtual void SHOWLINES(uint8_t axis, uint8_t major, uint8_t minor);

    void OPENFILE(const QString& path, const QString& password);
    void ASSIGNWITHFORMAT(const QString& value, const QString& format);
    void ASSIGNWITHFORMAT(const QString& range, const QString& value, const QString& format);
    void ASSIGNWITHFORMAT(long row, long column, const QString& value, const QString& format);

    // A typed value: office::CellNumber, QDate and whole numbers become number cells; a text
    // stays a text cell.
    void ASSIGN(const QString& range, const QVariant& value);
    void ASSIGN(const QString& range, const char* value) { ASSIGN(range, QString::fromUtf8(value)); }
    // A formula, only where the caller asks for one ("=SUM(F17:F26)").
    void ASSIGNFORMULA(const QString& range, const QString& formula);

private:
    static QString range(const QString& r) { return QStringLiteral("Range(") + office::quoted(r) + QLatin1Char(')'); }
    static QString cells(long row, long column) { return QStringLiteral("Cells(%1,%2)").arg(row).arg(column); }
    void select(const QString& path);
    void borderEdge(long border, long style, long weight, long colour);
    void axisTitle(const char* axes, const QString& title);
    void chartFrame(const char* select, short a, short b, short c, short d, short e, short f);
};
