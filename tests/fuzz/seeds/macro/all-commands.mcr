#All commands
<LOOP>3
  <UP>
  <LOOP>2
    <TEXT>‚©‚ª a
  <LOOPEND>
<LOOPEND>
<CTRL>
<F13>
<WAIT>0.5
<DIALOG>
; comment
#<OK>
<ten-5>
<CR>
<LOOPEND>
<LOOP>x
