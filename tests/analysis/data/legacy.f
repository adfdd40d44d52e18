C     Fixed-form routines of an old solver library.
*     Column 6 continuation, statement field ends at column 72.
      SUBROUTINE SOLVE(N, A, B,
     &                 X, INFO)
      INTEGER N, INFO
      DOUBLE PRECISION A(N,N), B(N)
      DOUBLE PRECISION X(N)
      COMMON /WORK/ SCRATCH(100)
      DO 10 I = 1, N
         X(I) = B(I) / A(I,I)
   10 CONTINUE
      RETURN
      END

      REAL FUNCTION DOT(N, X, Y)
      INTEGER N
      REAL X(*), Y(*)
      DOT = 0.0
      END

      PROGRAM DRIVER
      EXTERNAL SOLVE
      REAL DOT
      CALL SOLVE(1, 1D0, 1D0, 1D0, INFO)                                IGNORED
      END
