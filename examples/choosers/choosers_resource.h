// examples/choosers/choosers_resource.h
// Identifiers of the example's dialog and controls, shared by its resource script and its
// source.
#ifndef ZAPFILE_CHOOSERS_RESOURCE_H
#define ZAPFILE_CHOOSERS_RESOURCE_H

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDD_CHOOSERS 201

#define IDC_SAVE 2001
#define IDC_FOLDER 2002
#define IDC_COLOUR 2003
#define IDC_RESULT 2004

#endif
