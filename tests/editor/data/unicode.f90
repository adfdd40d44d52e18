x = 'é' ! ñandú
! 𝄞 clef
y = '𝄞' // "é" ; end
π_end = sqrt(x) ! «end»
