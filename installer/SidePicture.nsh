; The side picture of the welcome and finish pages, made for the page's size.
;
; Velantrix's picture is drawn for the common display scales (VX_ART_DIR:
; Welcome@100.bmp, @125, @150 and @200, 164 x 314 pixels at 100 %). The setup
; and the uninstaller each carry all of them, so the rarer scales have no
; drawing of their own (one for 175 % would add some 60 KB to each): their
; pages are made from the next larger drawing. The page's picture
; control is laid out in dialog units, so its size in pixels follows the dialog
; font at the screen's scale, not the scale itself. The page shows the smallest
; drawing that covers the control: as it is when it fits the control exactly
; (at 100 %), else reduced to the control's size with the middle of it kept.
; Up to 200 % no drawing is ever enlarged.

!define VX_ART_WIDTH 164
!define VX_ART_HEIGHT 314
!define VX_ART_LARGEST 200

; Puts the right picture into a page's picture control. `bitmap` is the one
; the page loaded (and frees when it closes): it is freed here and replaced
; by the one shown.
!macro VX_PLACE_SIDE_PICTURE un control bitmap
  Push ${bitmap}
  Push ${control}
  Call ${un}PlaceSidePicture
  Pop ${bitmap}
!macroend

; $R4: the scale chosen so far, 0 for none; $R2 x $R3: the control's size.
!macro VX_IF_DRAWING_COVERS scale
  ${If} $R4 = 0
    IntOp $R5 ${VX_ART_WIDTH} * ${scale}
    IntOp $R5 $R5 + 50
    IntOp $R5 $R5 / 100
    IntOp $R6 ${VX_ART_HEIGHT} * ${scale}
    IntOp $R6 $R6 + 50
    IntOp $R6 $R6 / 100
    ${If} $R5 >= $R2
    ${AndIf} $R6 >= $R3
      StrCpy $R4 ${scale}
    ${EndIf}
  ${EndIf}
!macroend

!macro VX_SIDE_PICTURE un
  Function ${un}PlaceSidePicture
    Exch $R0 ; the picture control
    Exch
    Exch $R1 ; the bitmap it shows; at the end the one shown instead
    Push $R2
    Push $R3
    Push $R4
    Push $R5
    Push $R6
    Push $R7
    Push $R8
    Push $R9
    Push $0
    Push $1
    Push $2
    Push $3
    Push $4
    Push $5

    ; The control's size in pixels: $R2 x $R3.
    System::Call '*(i, i, i, i) p.R9'
    System::Call 'user32::GetClientRect(p R0, p R9)'
    System::Call '*$R9(i, i, i .R2, i .R3)'
    System::Free $R9
    ${If} $R2 > 0
    ${AndIf} $R3 > 0
      ; The smallest scale ($R4, in per cent) whose drawing covers the control.
      StrCpy $R4 0
      !insertmacro VX_IF_DRAWING_COVERS 100
      !insertmacro VX_IF_DRAWING_COVERS 125
      !insertmacro VX_IF_DRAWING_COVERS 150
      ${If} $R4 = 0
        StrCpy $R4 ${VX_ART_LARGEST}
      ${EndIf}

      ; Only the drawing the page needs is unpacked; the page has the 100 % one.
      StrCpy $R7 "$PLUGINSDIR\modern-wizard.bmp"
      ${If} $R4 <> 100
        StrCpy $R7 "$PLUGINSDIR\side-$R4.bmp"
        ${IfNot} ${FileExists} $R7
          SetDetailsPrint none
          ${Select} $R4
            ${Case} 125
              File "/oname=$PLUGINSDIR\side-125.bmp" "${VX_ART_DIR}\Welcome@125.bmp"
            ${Case} 150
              File "/oname=$PLUGINSDIR\side-150.bmp" "${VX_ART_DIR}\Welcome@150.bmp"
            ${CaseElse}
              File "/oname=$PLUGINSDIR\side-200.bmp" "${VX_ART_DIR}\Welcome@200.bmp"
          ${EndSelect}
          SetDetailsPrint lastused
        ${EndIf}
      ${EndIf}

      StrCpy $R8 0
      ; LR_LOADFROMFILE | LR_CREATEDIBSECTION: the drawing's own pixels, $R6 x $R7.
      System::Call 'user32::LoadImageW(p 0, w R7, i ${IMAGE_BITMAP}, i 0, i 0, i 0x2010) p.R5'
      ${If} $R5 P<> 0
        System::Alloc 128
        Pop $R9
        System::Call 'gdi32::GetObjectW(p R5, i 128, p R9)'
        System::Call '*$R9(i, i .R6, i .R7)'
        System::Free $R9

        ${If} $R6 = $R2
        ${AndIf} $R7 = $R3
          StrCpy $R8 $R5
        ${Else}
          ; The largest part of the drawing with the control's proportions,
          ; from its middle ($2, $3; $4 x $5), reduced into a 24-bit bitmap
          ; of the control's size.
          IntOp $0 $R6 * $R3
          IntOp $1 $R7 * $R2
          ${If} $0 > $1
            IntOp $4 $R2 * $R7
            IntOp $4 $4 / $R3
            StrCpy $5 $R7
          ${Else}
            StrCpy $4 $R6
            IntOp $5 $R3 * $R6
            IntOp $5 $5 / $R2
          ${EndIf}
          IntOp $2 $R6 - $4
          IntOp $2 $2 / 2
          IntOp $3 $R7 - $5
          IntOp $3 $3 / 2

          System::Call 'user32::GetDC(p 0) p.r0'
          System::Call 'gdi32::CreateCompatibleDC(p r0) p.R9'
          System::Call 'gdi32::CreateCompatibleDC(p r0) p.r1'
          System::Call 'user32::ReleaseDC(p 0, p r0)'
          System::Call '*(i 40, i R2, i R3, &i2 1, &i2 24, i 0, i 0, i 0, i 0, i 0, i 0) p.r0'
          System::Call 'gdi32::CreateDIBSection(p r1, p r0, i 0, *p .s, p 0, i 0) p.R8'
          Pop $0 ; where its pixels lie: not needed
          System::Free $0
          System::Call 'gdi32::SelectObject(p R9, p R5) p.r0'
          Push $0
          System::Call 'gdi32::SelectObject(p r1, p R8) p.r0'
          ; HALFTONE averages the pixels it drops, where COLORONCOLOR would skip them.
          System::Call 'gdi32::SetStretchBltMode(p r1, i 4)'
          System::Call 'gdi32::SetBrushOrgEx(p r1, i 0, i 0, p 0)'
          System::Call 'gdi32::StretchBlt(p r1, i 0, i 0, i R2, i R3, p R9, i r2, i r3, i r4, i r5, i 0x00CC0020)'
          System::Call 'gdi32::SelectObject(p r1, p r0)'
          Pop $0
          System::Call 'gdi32::SelectObject(p R9, p r0)'
          System::Call 'gdi32::DeleteDC(p r1)'
          System::Call 'gdi32::DeleteDC(p R9)'
          System::Call 'gdi32::DeleteObject(p R5)'
        ${EndIf}

        ${If} $R8 P<> 0
          SendMessage $R0 ${STM_SETIMAGE} ${IMAGE_BITMAP} $R8
          System::Call 'gdi32::DeleteObject(p R1)'
          StrCpy $R1 $R8
        ${EndIf}
      ${EndIf}
    ${EndIf}

    Pop $5
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Pop $0
    Pop $R9
    Pop $R8
    Pop $R7
    Pop $R6
    Pop $R5
    Pop $R4
    Pop $R3
    Pop $R2
    Exch $R1
    Exch
    Pop $R0
  FunctionEnd
!macroend
