#pragma once
#include "services/MsOfficeClass.h"

// MSWORDCLASS: the word processor ("Word.Application") by automation paths. Velmora's own
// object behind the name writes .docx documents: text, breaks, fonts, alignment, tables,
// headers and footers, find and replace, page set-up. What needs a running word processor
// (printing, mail merge, spelling, views) answers "not available".
class MSWORDCLASS : public MSOFFICECLASS {
public:
    uint8_t GETALIGNMENT() override;
    void SETALIGNMENT(uint8_t alignment) override;
    void SETFONTCOLOR(long colour) override;
    void START() override;

    virtual uint8_t ADDMERGEFIELD(const QString& text, const QString& fieldName, uint8_t headers, uint8_t matchCase,
                                  uint8_t wholeWord, uint8_t wildcards, uint8_t home);
    virtual void CHECKGRAMMAR();
    virtual void CHECKSPELLING();
    virtual void CLOSEALLDOCS();
    virtual void CLOSEALLDOCS(uint8_t saveMode);
    virtual void CLOSEDOC();
    virtual void CLOSEDOC(uint8_t saveMode);
    virtual void CREATEDOC();
    virtual void CREATEDOC(const QString& templatePath);
    virtual void CREATETABLE(short format, short lines, uint8_t autofit);
    virtual long CURSORDOWN(short count, short unit, uint8_t extend);
    virtual long CURSORLEFT(short count, short unit, uint8_t extend);
    virtual long CURSORRIGHT(short count, short unit, uint8_t extend);
    virtual long CURSORUP(short count, short unit, uint8_t extend);
    virtual uint8_t EXECUTEMERGE(uint8_t destination, uint8_t suppress);
    virtual QString GETDEFAULTPATHS(uint8_t which);
    virtual QString GETDOCUMENTNAME();
    virtual long GETDOCUMENTVIEW();
    virtual long GETDOCUMENTSCOUNT();
    virtual QString GETEMAILADDRESSFIELD();
    virtual QString GETEMAILSUBJECT();
    virtual QString GETMERGESOURCE();
    virtual long GETMERGETYPE();
    virtual long GOBOTTOM();
    virtual long GOTOP();
    virtual void INSERTIMAGE(const QString& file, uint8_t link, uint8_t save);
    virtual void NEWPAGE();
    virtual void OPENDOC(const QString& file, uint8_t readOnly);
    virtual void OPENDOC(const QString& file, const QString& password, uint8_t readOnly);
    virtual void PAGESETUP(uint8_t paper, uint8_t orientation);
    virtual void PRINTDOC(uint8_t copies, uint8_t background);
    virtual void PRINTDOC(uint8_t copies, uint8_t background, uint8_t append, uint8_t range, const QString& outputFile,
                          long from, long to, uint8_t item, const QString& pages, uint8_t pageType, uint8_t printToFile,
                          uint8_t collate);
    virtual QString READTEXT(long start, long end);
    virtual uint8_t REPLACE(const QString& what, const QString& with, uint8_t gotoBookmark, uint8_t where);
    virtual void SAVE();
    virtual void SAVE(const QString& file);
    virtual void SAVE(const QString& file, const QString& password);
    virtual void SAVE(const QString& file, uint8_t format, const QString& password, const QString& writePassword = {},
                      uint8_t readOnly = 0);
    virtual uint8_t SEARCH(const QString& text, uint8_t wrap, uint8_t forward, uint8_t home, uint8_t matchCase,
                           uint8_t wholeWord, uint8_t wildcards, uint8_t soundsLike, uint8_t wordForms);
    virtual void SENDTEXT(const QString& text);
    virtual void SETACTIVEDOCUMENT(long n);
    virtual void SETDEFAULTPATHS(uint8_t which, const QString& path);
    virtual void SETDOCUMENTVIEW(uint8_t view);
    virtual void SETEMAILADDRESSFIELD(const QString& field);
    virtual void SETEMAILSUBJECT(const QString& subject);
    virtual void SETFOOTER(const QString& text, uint8_t alignment, const QString& font, short size, uint8_t bold,
                           uint8_t italic, long colour);
    virtual void SETHEADER(const QString& text, uint8_t alignment, const QString& font, short size, uint8_t bold,
                           uint8_t italic, long colour);
    virtual void SETMARGINS(short top, short bottom, short left, short right);
    virtual void SETMERGEOPTIONS(uint8_t destination, uint8_t suppress);
    virtual void SETMERGERECORDS(long first, long last);
    virtual void SETMERGESOURCE(const QString& source);
    virtual void SETMERGETYPE(uint8_t type);

    // The word processor's colour index of a colour number (red + 256 green + 65536 blue); 0
    // for a colour outside its palette.
    static int colourIndex(long colour);

private:
    void headerOrFooter(int seekView, const QString& text, uint8_t alignment, const QString& font, short size,
                        uint8_t bold, uint8_t italic, long colour);
    long cursor(const char* member, short count, short unit, uint8_t extend);
    void prepareSearch(const QString& text, uint8_t matchCase, uint8_t wholeWord, uint8_t wildcards, uint8_t home);
    uint8_t mergePass(const QString& text, const QString& fieldName, uint8_t matchCase, uint8_t wholeWord,
                      uint8_t wildcards, uint8_t home);
};
