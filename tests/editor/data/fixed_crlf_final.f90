C comment
      CALL A
      PRINT *, 'X
c
*
      END