#pragma once
// The component set's texts for editors: conversion and validation errors, Boolean display,
// popup buttons, blob placeholders, menus, the date editor and its smart date words, the
// editor registry's descriptions and the texts of edit masks and regular expressions. Each
// record names a string of the component set's string table; read it through
// cxGetResourceString (cxClasses), which honours run-time overrides.

#include "platform/rtl/System.h"

// Value conversion and validation.
extern const TResStringRec scxEditDateConvertError;  // "Could not convert to date"
extern const TResStringRec scxEditRepositoryItemError;  // "The repository item is not acceptable"
extern const TResStringRec scxEditNumericConvertError;  // "Não pode converter para um valor numérico"
extern const TResStringRec scxEditCircularReferenceError;  // "Circular referencing is not allowed"
extern const TResStringRec scxEditTimeConvertError;  // "Could not convert to time"
extern const TResStringRec scxEditInvalidInputError;  // "Valor de entrada inválido. Utilize ESC para abandonar alterações"
extern const TResStringRec scxEditValueOutOfBounds;  // "Value out of bounds"

// Boolean display (the two blank texts are empty strings).
extern const TResStringRec scxEditTrueCaption;  // "Verdadeiro"
extern const TResStringRec scxEditTrueCaptionBlank;  // ""
extern const TResStringRec scxEditFalseCaption;  // "Falso"
extern const TResStringRec scxEditFalseCaptionBlank;  // ""

// Buttons of the editors' popup windows.
extern const TResStringRec scxEditOKButton;  // "&OK"
extern const TResStringRec scxEditCancelButton;  // "&Cancelar"
extern const TResStringRec scxEditCloseButton;  // "&Fechar"

// Placeholders shown for binary content (text, picture; the lower-case forms stand for a null value).
extern const TResStringRec scxEditBlobText;  // "(Texto)"
extern const TResStringRec scxEditBlobNullText;  // "(texto)"
extern const TResStringRec scxEditBlobPicture;  // "(FIGURA)"
extern const TResStringRec scxEditBlobNullPicture;  // "(figura)"

// The picture editor's menu.
extern const TResStringRec scxEditPictureMenuCut;  // "Recor&tar"
extern const TResStringRec scxEditPictureMenuCopy;  // "&Copiar"
extern const TResStringRec scxEditPictureMenuPaste;  // "Co&lar"
extern const TResStringRec scxEditPictureMenuDelete;  // "&Excluir"
extern const TResStringRec scxEditPictureMenuLoad;  // "C&arregar..."
extern const TResStringRec scxEditPictureMenuSaveAs;  // "Sal&var Como..."

// The date editor.
extern const TResStringRec scxEditDateClearButton;  // "Limpar"
extern const TResStringRec scxEditDateTodayButton;  // "Hoje"
extern const TResStringRec scxEditDateInvalid;  // "Data inválida"

// The smart date words, in their index order 0 .. 19 (0 today, 1 yesterday, 2 tomorrow, 3 .. 9
// the next Sunday .. Saturday, 10 .. 16 Sunday .. Saturday of the current week, 17 first and 18
// last day of the month, 19 now).
extern const TResStringRec scxEditDateWordToday;  // "hoje"
extern const TResStringRec scxEditDateWordYesterday;  // "ontem"
extern const TResStringRec scxEditDateWordTomorrow;  // "amanhã"
extern const TResStringRec scxEditDateWordSunday;  // "Domingo"
extern const TResStringRec scxEditDateWordMonday;  // "Segunda"
extern const TResStringRec scxEditDateWordTuesday;  // "Terça"
extern const TResStringRec scxEditDateWordWednesday;  // "Quarta"
extern const TResStringRec scxEditDateWordThursday;  // "Quinta"
extern const TResStringRec scxEditDateWordFriday;  // "Sexta"
extern const TResStringRec scxEditDateWordSaturday;  // "Sábado"
extern const TResStringRec scxEditDateWordWeekDay1;  // "primeiro"
extern const TResStringRec scxEditDateWordWeekDay2;  // "segundo"
extern const TResStringRec scxEditDateWordWeekDay3;  // "terceiro"
extern const TResStringRec scxEditDateWordWeekDay4;  // "quarta"
extern const TResStringRec scxEditDateWordWeekDay5;  // "quinta"
extern const TResStringRec scxEditDateWordWeekDay6;  // "sexta"
extern const TResStringRec scxEditDateWordWeekDay7;  // "sétimo"
extern const TResStringRec scxEditDateWordMonthStart;  // "bom"
extern const TResStringRec scxEditDateWordMonthEnd;  // "eom"
extern const TResStringRec scxEditDateWordNow;  // "hoje"

// The calculator's error display.
extern const TResStringRec scxEditCalcError;  // "Erro"

// Editor registry entries: "Name|Description".
extern const TResStringRec scxEditRegBlobEdit;  // "BlobEdit|Represents the BLOB editor"
extern const TResStringRec scxEditRegButtonEdit;  // "ButtonEdit|Represents an edit control with embedded buttons"
extern const TResStringRec scxEditRegCalcEdit;  // "CalcEdit|Represents an edit control with a dropdown calculator window"
extern const TResStringRec scxEditRegCheckBox;  // "CheckBox|Represents a check box control that allows selecting an option"
extern const TResStringRec scxEditRegComboBox;  // "ComboBox|Represents the combo box editor"
extern const TResStringRec scxEditRegCurrencyEdit;  // "CurrencyEdit|Represents an editor enabling editing currency data"
extern const TResStringRec scxEditRegDateEdit;  // "DateEdit|Represents an edit control with a dropdown calendar"
extern const TResStringRec scxEditRegHyperLink;  // "HyperLink|Represents a text editor with hyperlink functionality"
extern const TResStringRec scxEditRegImageComboBox;  // "ImageComboBox|Represents an editor displaying the list of images and text strings within the dropdown window"
extern const TResStringRec scxEditRegImage;  // "Image|Represents an image editor"
extern const TResStringRec scxEditRegLookupComboBox;  // "LookupComboBox|Represents a lookup combo box control"
extern const TResStringRec scxEditRegMaskEdit;  // "MaskEdit|Represents a generic masked edit control."
extern const TResStringRec scxEditRegMemo;  // "Memo|Represents an edit control that allows editing memo data"
extern const TResStringRec scxEditRegMRUEdit;  // "MRUEdit|Represents a text editor displaying the list of most recently used items (MRU) within a dropdown window"
extern const TResStringRec scxEditRegPopupEdit;  // "PopupEdit|Represents an edit control with a dropdown list"
extern const TResStringRec scxEditRegSpinEdit;  // "SpinEdit|Represents a spin editor"
extern const TResStringRec scxEditRegRadioGroup;  // "RadioGroup|Represents a group of radio buttons"
extern const TResStringRec scxEditRegTextEdit;  // "TextEdit|Represents a single line text editor"
extern const TResStringRec scxEditRegTimeEdit;  // "TimeEdit|Represents an editor displaying time values"

// Position prefix of regular-expression errors.
extern const TResStringRec scxEditErrorLine;  // "Line"
extern const TResStringRec scxEditErrorChar;  // "Char"

// Edit masks and the regular-expression engine.
extern const TResStringRec scxMaskSourceStreamNotAssigned;  // "The source stream is not assigned"
extern const TResStringRec scxMaskSourceStreamEmpty;  // "The source stream is empty"
extern const TResStringRec scxRegExprPlusNotApplicable;  // "The '+' quantifier cannot be applied here"
extern const TResStringRec scxRegExprStarNotApplicable;  // "The '*' quantifier cannot be applied here"
extern const TResStringRec scxRegExprEmptyAlternative;  // "The alternative should not be empty"
extern const TResStringRec scxRegExprEmptyBlock;  // "The block should not be empty"
extern const TResStringRec scxRegExprIllegalSymbol;  // "Illegal '%s'"
extern const TResStringRec scxRegExprIllegalQuantifier;  // "Illegal quantifier '%s'"
extern const TResStringRec scxRegExprIllegalInteger;  // "Illegal integer value"
extern const TResStringRec scxRegExprTooBigReference;  // "Too big reference number"
extern const TResStringRec scxRegExprEmptyEnumeration;  // "Can't create empty enumeration"
extern const TResStringRec scxRegExprSubrangeOrder;  // "The starting character of the subrange must be less than the finishing one"
extern const TResStringRec scxRegExprHexExpected;  // "Hexadecimal number expected"
extern const TResStringRec scxRegExprHexExpectedButFound;  // "Hexadecimal number expected but '%s' found"
extern const TResStringRec scxRegExprMissing;  // "Missing '%s'"
extern const TResStringRec scxRegExprUnnecessary;  // "Unnecessary '%s'"
extern const TResStringRec scxRegExprSpaceAfterBackslash;  // "The space character is not allowed after '\\'"
extern const TResStringRec scxRegExprNotCompiled;  // "Regular expression is not compiled"
extern const TResStringRec scxRegExprIncorrectParameterQuantifier;  // "Incorrect parameter quantifier"
extern const TResStringRec scxRegExprParameterQuantifierNotApplicable;  // "The parameter quantifier cannot be applied here"
extern const TResStringRec scxRegExprErrors;  // "Regular expression errors:"
extern const TResStringRec scxMaskInvalidEditValue;  // "The edit value is invalid"
extern const TResStringRec scxEditInvalidNumericValue;  // "Invalid numeric value"
