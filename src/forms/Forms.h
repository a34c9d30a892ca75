#pragma once

// The whole window model.
#include "forms/Animation.h"
#include "forms/Caption.h"
#include "forms/CommandButton.h"
#include "forms/CommonDialog.h"
#include "forms/Control.h"
#include "forms/Desktop.h"
#include "forms/Form.h"
#include "forms/Frame.h"
#include "forms/HScrollBar.h"
#include "forms/Label.h"
#include "forms/ListBox.h"
#include "forms/OptionButton.h"
#include "forms/SSIndexTab.h"
#include "forms/TextBox.h"
