C     a comment line with END and SQRT
c     lower-case c starts a comment too
*     so does an asterisk
Cend
      PROGRAM FIXED
      INTEGER I
      DO 10 I = 1, 10
         PRINT *, 'I IS ', I ! trailing comment
   10 CONTINUE
     &  , SQRT(2.0)
      STOP
      END
